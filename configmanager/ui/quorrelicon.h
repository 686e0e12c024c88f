#pragma once

#include <QIcon>

/** Quorrel's icon: a configuration sheet in the sixteen colours of the old palette. */
class QuorrelIcon
{
public:
    static QIcon icon();
};
