// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/scenarios.h"

void Scenarios::bigLog(ScenarioKit &kit)
{
    BenchReport &report = kit.report();
    const BenchSettings &settings = kit.settings();
    const qint64 lines = kit.scaled(1000000, 1000);
    const int players = int(kit.scaled(5000, 20));
    const bool baseline = !settings.baseline.isEmpty();
    report.scenario(QStringLiteral("bigLog"),
                    QStringLiteral("one log of %1 lines and %2 players; best of %3, "
                                   "alternating with a mawk count of kills and deaths%4")
                        .arg(BenchReport::count(lines), BenchReport::count(players))
                        .arg(settings.runs)
                        .arg(baseline ? QStringLiteral(" and the baseline") : QString()));
    const QString folder = kit.scenarioFolder(QStringLiteral("bigLog"));
    const ScenarioKit::RemovedAtEnd cleanup {folder};
    const QString log = folder + QStringLiteral("/L1207000.log");
    ExpectedStats expected;
    LogGenerator generator(expected, 2026);
    generator.setVariantShare(0.001);
    report.progress(QStringLiteral("writing the log"));
    if (!kit.writeLog(
            log, generator, [&] { return generator.lines() < lines - 1; },
            [&](bool) { return int(generator.random().bounded(players)); }))
        return;

    std::optional<ChildRun> awk;
    std::optional<ScenarioKit::Update> best;
    std::optional<ChildRun> before;
    for (int r = 0; r < settings.runs; ++r) {
        report.progress(QStringLiteral("run %1 of %2").arg(r + 1).arg(settings.runs));
        kit.flushToDisk();
        const std::optional<ChildRun> a = kit.mawkCount(log);
        if (!a)
            return;
        const auto u = kit.checkedUpdate(folder, r, {log}, expected);
        if (!u)
            return;
        if (!awk || a->seconds < awk->seconds)
            awk = a;
        if (!best || u->run.seconds < best->run.seconds)
            best = u;
        if (baseline) {
            const auto b =
                kit.checkedUpdate(folder, settings.runs + r, {log}, expected, settings.baseline);
            if (!b)
                return;
            if (!before || b->run.seconds < before->seconds)
                before = b->run;
        }
    }
    report.figure(QStringLiteral("log"),
                  QStringLiteral("%1 lines, %2, %3 rows expected")
                      .arg(BenchReport::count(generator.lines()),
                           BenchReport::mib(double(generator.bytes()) / ScenarioKit::mebibyte),
                           BenchReport::count(expected.rowCount())));
    report.figure(QStringLiteral("tolvane --update"),
                  ScenarioKit::updateFigure(best->run, generator.lines(), generator.bytes()));
    report.figure(QStringLiteral("its summary"), best->summary);
    if (before)
        report.figure(
            QStringLiteral("baseline --update"),
            ScenarioKit::updateFigure(*before, generator.lines(), generator.bytes())
                + QStringLiteral(", %1 x mawk").arg(before->seconds / awk->seconds, 0, 'f', 2));
    report.figure(QStringLiteral("mawk kills/deaths"), BenchReport::seconds(awk->seconds));
    report.figure(QStringLiteral("counts"),
                  QStringLiteral("exact in every run (%1 rows x 31 counters, places)")
                      .arg(BenchReport::count(expected.rowCount())));
    report.target(QStringLiteral("at most 0.5 x mawk (%1; %2 x)")
                      .arg(BenchReport::seconds(awk->seconds * 0.5))
                      .arg(best->run.seconds / awk->seconds, 0, 'f', 2),
                  best->run.seconds <= 0.5 * awk->seconds);
}
