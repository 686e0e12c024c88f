// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/busyserverlog.h"
#include "bench/scenarios.h"

namespace {

constexpr double mawkShare = 0.4;

} // namespace

void Scenarios::mixedLog(ScenarioKit &kit)
{
    BenchReport &report = kit.report();
    const BenchSettings &settings = kit.settings();
    const qint64 lines = kit.scaled(1000000, 1000);
    const int players = int(kit.scaled(4000, 40));
    const bool baseline = !settings.baseline.isEmpty();
    report.scenario(QStringLiteral("mixedLog"),
                    QStringLiteral("a busy public server's log of %1 lines, half of them kills, "
                                   "and %2 players under several spellings; best of %3, "
                                   "alternating with a mawk count of kills and deaths, wc -l%4")
                        .arg(BenchReport::count(lines), BenchReport::count(players))
                        .arg(settings.runs)
                        .arg(baseline ? QStringLiteral(" and the baseline") : QString()));
    const QString folder = kit.scenarioFolder(QStringLiteral("mixedLog"));
    const ScenarioKit::RemovedAtEnd cleanup {folder};
    const QString log = folder + QStringLiteral("/L1208000.log");
    ExpectedStats expected;
    BusyServerLog generator(expected, players, 24);
    report.progress(QStringLiteral("writing the log"));
    if (!generator.write(log, lines)) {
        report.error(QStringLiteral("cannot write %1: %2").arg(log, generator.errorString()));
        return;
    }

    // A malformed line counts nothing, and the summary must say how many there were.
    auto malformedReported = [&](const ScenarioKit::Update &u) {
        const auto malformed = ScenarioKit::summaryNumber(u.summary, QStringLiteral("malformed"));
        if (malformed && *malformed == generator.malformedLines())
            return true;
        report.error(QStringLiteral("the summary should report %1 malformed lines: %2")
                         .arg(generator.malformedLines())
                         .arg(u.summary));
        return false;
    };
    std::optional<ChildRun> awk;
    std::optional<ChildRun> wc;
    std::optional<ScenarioKit::Update> best;
    std::optional<ChildRun> before;
    for (int r = 0; r < settings.runs; ++r) {
        report.progress(QStringLiteral("run %1 of %2").arg(r + 1).arg(settings.runs));
        kit.flushToDisk();
        const std::optional<ChildRun> w = kit.wcCount(log);
        const std::optional<ChildRun> a = w ? kit.mawkCount(log) : std::nullopt;
        if (!a)
            return;
        const auto u = kit.checkedUpdate(folder, r, {log}, expected);
        if (!u || !malformedReported(*u))
            return;
        if (!wc || w->seconds < wc->seconds)
            wc = w;
        if (!awk || a->seconds < awk->seconds)
            awk = a;
        if (!best || u->run.seconds < best->run.seconds)
            best = u;
        if (baseline) {
            const auto b =
                kit.checkedUpdate(folder, settings.runs + r, {log}, expected, settings.baseline);
            if (!b || !malformedReported(*b))
                return;
            if (!before || b->run.seconds < before->seconds)
                before = b->run;
        }
    }
    const auto ratios = [&](const ChildRun &run) {
        return QStringLiteral("%1 x mawk, %2 x wc -l")
            .arg(run.seconds / awk->seconds, 0, 'f', 2)
            .arg(run.seconds / wc->seconds, 0, 'f', 1);
    };
    report.figure(QStringLiteral("log"),
                  QStringLiteral("%1 lines (%2 kills, %3 malformed), %4, %5 names written "
                                 "%6 ways, %7 rows expected")
                      .arg(BenchReport::count(generator.lines()),
                           BenchReport::count(generator.kills()),
                           BenchReport::count(generator.malformedLines()),
                           BenchReport::mib(double(generator.bytes()) / ScenarioKit::mebibyte),
                           BenchReport::count(players), BenchReport::count(generator.spellings()),
                           BenchReport::count(expected.rowCount())));
    report.figure(QStringLiteral("tolvane --update"),
                  ScenarioKit::updateFigure(best->run, generator.lines(), generator.bytes()));
    report.figure(QStringLiteral("its ratios"), ratios(best->run));
    report.figure(QStringLiteral("its summary"), best->summary);
    if (before) {
        report.figure(QStringLiteral("baseline --update"),
                      ScenarioKit::updateFigure(*before, generator.lines(), generator.bytes()));
        report.figure(QStringLiteral("baseline's ratios"),
                      ratios(*before)
                          + QStringLiteral("; %1 x the time measured")
                                .arg(before->seconds / best->run.seconds, 0, 'f', 2));
    }
    report.figure(QStringLiteral("mawk kills/deaths"), BenchReport::seconds(awk->seconds));
    report.figure(QStringLiteral("wc -l"), BenchReport::seconds(wc->seconds));
    report.figure(QStringLiteral("counts"),
                  QStringLiteral("exact in every run (%1 rows x 31 counters, places, "
                                 "the spelling seen first, malformed lines)")
                      .arg(BenchReport::count(expected.rowCount())));
    report.target(QStringLiteral("at most %1 x mawk (%2)")
                      .arg(mawkShare)
                      .arg(BenchReport::seconds(awk->seconds * mawkShare)),
                  best->run.seconds <= mawkShare * awk->seconds);
}
