#pragma once

#include "platform/windowkit/paintedicon.h"

/** Tolvane's icon: a podium under a crosshair, in the sixteen colours of the old palette. */
class TolvaneIcon final : public PaintedIcon
{
public:
    TolvaneIcon();
};
