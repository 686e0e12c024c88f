// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/benchreport.h"
#include "bench/childrunner.h"
#include "bench/scenarios.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace {

char workFolder[4096];
pid_t launcher = -1;

// The work folder holds up to a gigabyte of logs and databases, which an interrupted run (a
// report piped into "head" included) must not leave in the temporary folder, nor a program
// still at work in it. Only async-signal-safe calls here.
void removeWorkAndExit(int signal)
{
    if (launcher > 0) {
        kill(launcher, SIGTERM);
        waitpid(launcher, nullptr, 0);
    }
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/rm", "rm", "-rf", workFolder, static_cast<char *>(nullptr));
        _exit(127);
    }
    if (pid > 0)
        waitpid(pid, nullptr, 0);
    _exit(128 + signal);
}

void removeWorkOnInterrupt(const QString &folder, pid_t launcherPid)
{
    launcher = launcherPid;
    const QByteArray path = folder.toLocal8Bit();
    if (path.isEmpty() || std::size_t(path.size()) >= sizeof workFolder)
        return;
    std::memcpy(workFolder, path.constData(), std::size_t(path.size()) + 1);
    struct sigaction action
    {
    };
    action.sa_handler = removeWorkAndExit;
    sigfillset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        sigaction(signal, &action, nullptr);
}

} // namespace

int main(int argc, char **argv)
{
    // Before anything else: the launcher is a copy of this process as it is now, small.
    ChildRunner runner;
    const bool launcher = runner.start();

    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Times Tolvane's command line in several scenarios and checks every count. "
                       "Scenarios: %1 (default: all, in that order).")
            .arg(Scenarios::names().join(u", ")));
    parser.addHelpOption();
    const QCommandLineOption scale(QStringLiteral("scale"),
                                   QStringLiteral("Size of every scenario, 1 for full size (for "
                                                  "example 0.01 for a quick trial)."),
                                   QStringLiteral("factor"), QStringLiteral("1"));
    const QCommandLineOption runs(QStringLiteral("runs"),
                                  QStringLiteral("Timed runs of each contender (the best counts)."),
                                  QStringLiteral("n"), QStringLiteral("3"));
    const QCommandLineOption tolvane(QStringLiteral("tolvane"),
                                     QStringLiteral("The tolvane program to measure."),
                                     QStringLiteral("path"), QStringLiteral(TOLVANE_BINARY));
    const QCommandLineOption baseline(
        QStringLiteral("baseline"),
        QStringLiteral(
            "Another tolvane build (an earlier one) that bigLog, mixedLog, machines "
            "and webLoad time beside the one measured, on the same logs in the same rounds."),
        QStringLiteral("path"));
    parser.addOptions({scale, runs, tolvane, baseline});
    parser.addPositionalArgument(QStringLiteral("scenario"),
                                 QStringLiteral("Scenarios to run (default: all)."),
                                 QStringLiteral("[scenario...]"));
    parser.process(app);

    BenchSettings settings;
    bool valid = true;
    settings.scale = parser.value(scale).toDouble(&valid);
    bool validRuns = true;
    settings.runs = parser.value(runs).toInt(&validRuns);
    settings.tolvane = parser.value(tolvane);
    settings.baseline = parser.value(baseline);
    QStringList chosen = parser.positionalArguments();
    if (chosen.isEmpty())
        chosen = Scenarios::names();
    for (const QString &name : chosen) {
        if (!Scenarios::find(name)) {
            std::fprintf(stderr, "tolvane-bench: no scenario %s; the scenarios are %s\n",
                         qPrintable(name), qPrintable(Scenarios::names().join(u", ")));
            return 2;
        }
    }
    if (!valid || settings.scale <= 0 || !validRuns || settings.runs < 1) {
        std::fprintf(stderr,
                     "tolvane-bench: --scale takes a positive number, --runs a positive "
                     "whole number\n");
        return 2;
    }
    if (!launcher) {
        std::fprintf(stderr, "tolvane-bench: cannot start the process launcher\n");
        return 1;
    }

    BenchReport report;
    ScenarioKit kit(runner, report, settings);
    if (!kit.prepare()) {
        std::fprintf(stderr,
                     "tolvane-bench: cannot create a work folder in the temporary folder\n");
        return 1;
    }
    removeWorkOnInterrupt(kit.workFolder(), runner.launcher());
    report.heading(QStringLiteral("tolvane-bench: %1, scale %2, best of %3; times are wall-clock, "
                                  "memory is the peak resident size")
                       .arg(settings.tolvane)
                       .arg(settings.scale)
                       .arg(settings.runs));
    if (!settings.baseline.isEmpty())
        report.heading(QStringLiteral("baseline: %1").arg(settings.baseline));
    for (const QString &name : chosen)
        Scenarios::find(name)->run(kit);
    report.finish();
    return report.failed() ? 1 : 0;
}
