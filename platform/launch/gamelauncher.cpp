// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/launch/gamelauncher.h"

#include "platform/launch/processlauncher.h"

std::unique_ptr<GameLauncher> GameLauncher::create(Wording wording)
{
    // A Windows build that wants the Run dialog hands a keystroke sender to RunDialogLauncher;
    // starting the process directly works on every desktop Qt runs on.
    return std::make_unique<ProcessLauncher>(std::move(wording));
}
