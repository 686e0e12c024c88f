// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/windowkit/paintedicon.h"

/** Tolvane's icon: a podium under a crosshair, in the sixteen colours of the old palette. */
class TolvaneIcon final : public PaintedIcon
{
public:
    TolvaneIcon();
};
