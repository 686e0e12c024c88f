// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/launch/gamelauncher.h"

#include <QStringList>

/**
 * Runs the command line as a detached process: split into program and arguments the way a shell
 * would (quotes and blanks), started from the folder that holds the program, because games such
 * as Half-Life look for their data beside their executable.
 */
class ProcessLauncher : public GameLauncher
{
public:
    struct Plan
    {
        QString program;
        QStringList arguments;
        QString workingDirectory;
    };

    explicit ProcessLauncher(Wording wording);

    /// What launch() would start, or why it cannot be started.
    Result<Plan> plan(const QString &commandLine) const;

    Result<> launch(const QString &commandLine) override;

private:
    Wording m_wording;
};
