#pragma once

#include <QString>

#include <memory>

/**
 * Starts the game from the command line the user registered. Implementations differ by desktop:
 * a detached process where there is no Run dialog, synthesised Windows+R keystrokes where there
 * is one. Tests replace it with a fake that records the command.
 */
class GameLauncher
{
public:
    virtual ~GameLauncher();

    /// False, with a reason for the user in \a error, when the game could not be started.
    virtual bool launch(const QString &commandLine, QString *error = nullptr) = 0;

    /// The launcher for this desktop.
    static std::unique_ptr<GameLauncher> create();
};
