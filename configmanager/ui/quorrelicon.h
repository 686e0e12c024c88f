#pragma once

#include "platform/windowkit/paintedicon.h"

/** Quorrel's icon: a configuration sheet in the sixteen colours of the old palette. */
class QuorrelIcon final : public PaintedIcon
{
public:
    QuorrelIcon();
};
