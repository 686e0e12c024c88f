// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/windowkit/paintedicon.h"

/** Rondelay's icon: a yellow cycle in a red frame, on the black of its picture buttons. */
class RondelayIcon final : public PaintedIcon
{
public:
    RondelayIcon();
};
