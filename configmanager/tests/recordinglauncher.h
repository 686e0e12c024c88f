// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/launch/gamelauncher.h"

#include <QStringList>

/// Records every command line instead of starting anything; can be told to fail.
class RecordingLauncher final : public GameLauncher
{
public:
    Result<> launch(const QString &commandLine) override;

    QStringList commands;
    bool fails = false;
};
