// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/tests/recordinglauncher.h"

Result<> RecordingLauncher::launch(const QString &commandLine)
{
    commands << commandLine;
    if (fails)
        return Result<>::failure(QStringLiteral("Programme introuvable"));
    return {};
}
