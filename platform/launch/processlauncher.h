#pragma once

#include "platform/launch/gamelauncher.h"

#include <QStringList>

#include <optional>

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

    /// What launch() would start, or nothing (with the reason) when it cannot be started.
    static std::optional<Plan> plan(const QString &commandLine, QString *error = nullptr);

    bool launch(const QString &commandLine, QString *error = nullptr) override;
};
