// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/launch/processlauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

ProcessLauncher::ProcessLauncher(Wording wording) : m_wording(std::move(wording)) { }

Result<ProcessLauncher::Plan> ProcessLauncher::plan(const QString &commandLine) const
{
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return Result<Plan>::failure(m_wording(Failure::EmptyCommand, {}, {}));
    const QString named = words.takeFirst();

    // A bare name is looked up in PATH like a shell does; anything with a folder in it is a path.
    const QString program = named.contains(QLatin1Char('/')) || named.contains(QDir::separator())
        ? QFileInfo(named).absoluteFilePath()
        : QStandardPaths::findExecutable(named);

    const QFileInfo info(program);
    if (program.isEmpty() || !info.exists())
        return Result<Plan>::failure(m_wording(Failure::ProgramNotFound, named, {}));
    if (!info.isFile() || !info.isExecutable())
        return Result<Plan>::failure(m_wording(Failure::NotAProgram, info.absoluteFilePath(), {}));
    return Plan {info.absoluteFilePath(), words, info.absolutePath()};
}

Result<> ProcessLauncher::launch(const QString &commandLine)
{
    const auto started = plan(commandLine);
    if (!started)
        return Result<>::failure(started.failure());
    QProcess process;
    process.setProgram(started->program);
    process.setArguments(started->arguments);
    process.setWorkingDirectory(started->workingDirectory);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached())
        return Result<>::failure(
            m_wording(Failure::StartRefused, started->program, process.errorString()));
    return {};
}
