// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"

#include <QString>

#include <functional>
#include <memory>

/**
 * Starts the game from the command line the user registered. Implementations differ by desktop:
 * a detached process where there is no Run dialog, synthesised Windows+R keystrokes where there
 * is one. Tests replace it with a fake that records the command.
 */
class GameLauncher
{
public:
    /// What stopped a start. The program words it for its user, in the user's language.
    enum class Failure {
        EmptyCommand, ///< nothing but blanks to run
        ProgramNotFound, ///< subject: the program as the command line names it
        NotAProgram, ///< subject: the full path of what was found instead
        StartRefused, ///< subject: the program's full path; detail: the system's reason
    };
    using Wording =
        std::function<QString(Failure failure, const QString &subject, const QString &detail)>;

    virtual ~GameLauncher() = default;

    /// Fails, with a reason for the user, when the game could not be started.
    virtual Result<> launch(const QString &commandLine) = 0;

    /// The launcher for this desktop; \a wording turns its failures into the reasons it gives.
    static std::unique_ptr<GameLauncher> create(Wording wording);
};
