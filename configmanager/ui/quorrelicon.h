#pragma once

#include <QIcon>
#include <QPixmap>

/** Quorrel's icon: a configuration sheet in the sixteen colours of the old palette. */
class QuorrelIcon
{
public:
    static QIcon icon();
    /// The image at \a size pixels, 32 or 16.
    static QPixmap image(int size);
};
