#pragma once

#include <QIcon>
#include <QPixmap>

/** Tolvane's icon, painted in the sixteen colours of the old palette at 32 and 16 pixels. */
class TolvaneIcon
{
public:
    static QIcon icon();
    /// The image at \a size pixels, 32 or 16.
    static QPixmap image(int size);
};
