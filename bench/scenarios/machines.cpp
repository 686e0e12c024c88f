// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/scenarios.h"

#include "bench/benchpostgres.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace {

// A server's round trips may cost a run into PostgreSQL some of the rate of one into a file; the
// writer lock that machines take in turn, next to nothing.
constexpr double serverShare = 0.7;
constexpr double atOnceShare = 0.9;

} // namespace

void Scenarios::machines(ScenarioKit &kit)
{
    BenchReport &report = kit.report();
    const BenchSettings &settings = kit.settings();
    constexpr int machineCount = 3;
    const int logsEach = 4;
    const qint64 linesEach = kit.scaled(50000, 500);
    const int players = int(kit.scaled(20000, 30));
    const bool baseline = !settings.baseline.isEmpty();
    report.scenario(
        QStringLiteral("machines"),
        QStringLiteral("three machines count %1 logs of %2 lines each, named alike, into one "
                       "PostgreSQL database at once (three --host ids); against one run over "
                       "all of them into PostgreSQL and into SQLite; best of %3%4")
            .arg(logsEach)
            .arg(BenchReport::count(linesEach))
            .arg(settings.runs)
            .arg(baseline ? QStringLiteral(", the baseline in the same rounds") : QString()));
    const QString folder = kit.scenarioFolder(QStringLiteral("machines"));
    const ScenarioKit::RemovedAtEnd cleanup {folder};

    BenchPostgres server;
    report.progress(QStringLiteral("reaching the PostgreSQL server"));
    if (!server.start()) {
        report.error(server.errorString());
        return;
    }
    QStringList environment = kit.environment() + server.environment();

    // One pool of players, as players move between servers; each server its own logs, named as
    // each names them, by the time they started.
    ExpectedStats expected;
    QList<QStringList> logs(machineCount);
    for (int m = 0; m < machineCount; ++m) {
        LogGenerator generator(expected, quint32(1500 + m));
        const QString where = folder + QStringLiteral("/logs%1").arg(m);
        QDir().mkpath(where);
        report.progress(QStringLiteral("writing the logs of machine %1").arg(m + 1));
        for (int l = 0; l < logsEach; ++l) {
            const QString log = where + QStringLiteral("/L12070%1.log").arg(l, 2, 10, QChar('0'));
            const qint64 end = generator.lines() + linesEach;
            if (!kit.writeLog(
                    log, generator, [&] { return generator.lines() < end - 1; },
                    [&](bool) { return int(generator.random().bounded(players)); }))
                return;
            logs[m] << log;
        }
    }
    const qint64 totalLines = qint64(machineCount) * logsEach * linesEach;

    // Hard links of every log, in folders of their own: a machine's, or all in one.
    int number = 0;
    auto lay = [&](const QList<QStringList> &sets, bool oneFolder, QStringList &folders) {
        const QString round = folder + QStringLiteral("/run%1").arg(number++);
        folders.clear();
        for (int m = 0; m < sets.size(); ++m) {
            const QString where =
                round + (oneFolder ? QStringLiteral("/all") : QStringLiteral("/machine%1").arg(m));
            QDir().mkpath(where);
            if (!folders.contains(where))
                folders << where;
            for (const QString &log : sets[m]) {
                const QString name = (oneFolder ? QStringLiteral("L%1").arg(m) : QString())
                    + QFileInfo(log).fileName().mid(oneFolder ? 1 : 0);
                if (!kit.hardLink(log, where + QLatin1Char('/') + name)) {
                    report.error(QStringLiteral("cannot link %1 into %2").arg(log, where));
                    return false;
                }
            }
        }
        kit.flushToDisk();
        return true;
    };
    // Starts one update per folder at once into \a database, by \a program; the seconds until
    // the last ended.
    auto countAtOnce = [&](const QStringList &folders, const QString &database,
                           const QString &program) {
        std::vector<std::unique_ptr<QProcess>> runs;
        QElapsedTimer clock;
        clock.start();
        for (int m = 0; m < folders.size(); ++m) {
            auto process = std::make_unique<QProcess>();
            process->setEnvironment(QProcess::systemEnvironment() + environment);
            process->setProcessChannelMode(QProcess::SeparateChannels);
            process->start(program,
                           {QStringLiteral("--update"), QStringLiteral("--logs"), folders[m],
                            QStringLiteral("--db"), database, QStringLiteral("--host"),
                            QStringLiteral("hlds%1").arg(m + 1)});
            runs.push_back(std::move(process));
        }
        bool ok = true;
        for (auto &process : runs) {
            if (!process->waitForFinished(3600000) || process->exitStatus() != QProcess::NormalExit
                || process->exitCode() != 0) {
                report.error(QStringLiteral("tolvane --update failed"),
                             QString::fromUtf8(process->readAllStandardError())
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts));
                ok = false;
            }
        }
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        for (const QString &where : folders) {
            if (const QStringList left = kit.logsLeft(where); ok && !left.isEmpty()) {
                report.error(QStringLiteral("tolvane --update left %1 finished log(s) behind")
                                 .arg(left.size()));
                ok = false;
            }
        }
        return ok && kit.counted(expected, database) ? std::optional<double>(seconds)
                                                     : std::nullopt;
    };

    // Per program measured: the best of each of the three ways of counting.
    struct Times
    {
        QString program;
        QString name;
        double atOnce = 0;
        double serverAlone = 0;
        double fileAlone = 0;
    };
    std::vector<Times> contenders = {{settings.tolvane, QStringLiteral("tolvane")}};
    if (baseline)
        contenders.push_back({settings.baseline, QStringLiteral("baseline")});
    auto keepBest = [](double &best, double seconds) {
        best = best == 0 ? seconds : std::min(best, seconds);
    };
    int databases = 0;
    for (int r = 0; r < settings.runs; ++r) {
        for (Times &times : contenders) {
            const QString round =
                QStringLiteral("run %1 of %2, %3: ").arg(r + 1).arg(settings.runs).arg(times.name);
            QStringList folders;
            report.progress(round + QStringLiteral("three machines at once"));
            const QString shared = server.create(QStringLiteral("machines%1").arg(databases));
            if (shared.isEmpty()) {
                report.error(server.errorString());
                return;
            }
            if (!lay(logs, false, folders))
                return;
            const std::optional<double> three = countAtOnce(folders, shared, times.program);
            if (!three)
                return;
            keepBest(times.atOnce, *three);

            report.progress(round + QStringLiteral("one run over all, PostgreSQL"));
            const QString alone = server.create(QStringLiteral("alone%1").arg(databases++));
            if (alone.isEmpty()) {
                report.error(server.errorString());
                return;
            }
            if (!lay(logs, true, folders))
                return;
            const std::optional<double> one = countAtOnce(folders, alone, times.program);
            if (!one)
                return;
            keepBest(times.serverAlone, *one);

            report.progress(round + QStringLiteral("one run over all, SQLite"));
            if (!lay(logs, true, folders))
                return;
            const std::optional<double> file = countAtOnce(
                folders, QFileInfo(folders.first()).path() + QStringLiteral("/Stats.db"),
                times.program);
            if (!file)
                return;
            keepBest(times.fileAlone, *file);
            QDir(QFileInfo(folders.first()).path()).removeRecursively();
        }
    }

    report.figure(QStringLiteral("server"), server.description());
    report.figure(QStringLiteral("logs"),
                  QStringLiteral("%1 lines in %2 logs on three machines; %3 rows expected")
                      .arg(BenchReport::count(totalLines))
                      .arg(machineCount * logsEach)
                      .arg(BenchReport::count(expected.rowCount())));
    auto figure = [&](const QString &what, double seconds) {
        report.figure(what,
                      QStringLiteral("%1, %2 lines/s")
                          .arg(BenchReport::seconds(seconds),
                               BenchReport::rate(double(totalLines) / seconds)));
    };
    for (const Times &times : contenders) {
        const QString prefix =
            times.name == QLatin1String("tolvane") ? QString() : times.name + u' ';
        figure(prefix + QStringLiteral("three machines at once, PostgreSQL"), times.atOnce);
        figure(prefix + QStringLiteral("one run over all, PostgreSQL"), times.serverAlone);
        figure(prefix + QStringLiteral("one run over all, SQLite"), times.fileAlone);
        report.figure(prefix + QStringLiteral("ratios"),
                      QStringLiteral("PostgreSQL %1 x SQLite's rate; three at once %2 x one "
                                     "run's")
                          .arg(times.fileAlone / times.serverAlone, 0, 'f', 2)
                          .arg(times.serverAlone / times.atOnce, 0, 'f', 2));
    }
    report.figure(QStringLiteral("counts"),
                  QStringLiteral("exact in every run (%1 rows x 31 counters, places)")
                      .arg(BenchReport::count(expected.rowCount())));
    const Times &measured = contenders.front();
    report.target(
        QStringLiteral("one run into PostgreSQL at least %1 x SQLite's rate").arg(serverShare),
        measured.fileAlone >= serverShare * measured.serverAlone);
    report.target(
        QStringLiteral("three machines at once at least %1 x one run's rate").arg(atOnceShare),
        measured.serverAlone >= atOnceShare * measured.atOnce);
}
