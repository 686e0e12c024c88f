// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/windowkit/paintedicon.h"

/** Quorrel's icon: a configuration sheet in the sixteen colours of the old palette. */
class QuorrelIcon final : public PaintedIcon
{
public:
    QuorrelIcon();
};
