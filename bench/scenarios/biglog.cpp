#include "bench/scenarios.h"

namespace {

// Kills and deaths per name: the least a count of a log can do.
const char *awkCount = "/ killed /{split($2,a,\"<\"); split($4,b,\"<\"); k[a[1]]++; d[b[1]]++} "
                       "END{for(n in k) c++; print c}";

} // namespace

void Scenarios::bigLog(ScenarioKit &kit)
{
    BenchReport &report = kit.report();
    const BenchSettings &settings = kit.settings();
    const qint64 lines = kit.scaled(1000000, 1000);
    const int players = int(kit.scaled(5000, 20));
    report.scenario(QStringLiteral("bigLog"),
                    QStringLiteral("one log of %1 lines and %2 players; best of %3, "
                                   "alternating with a mawk count of kills and deaths")
                        .arg(BenchReport::count(lines), BenchReport::count(players))
                        .arg(settings.runs));
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

    ChildRun best;
    ChildRun awk;
    ScenarioKit::Update shown;
    for (int r = 0; r < settings.runs; ++r) {
        ScenarioKit::Round round;
        if (!kit.newRound(folder, r, {log}, round))
            return;
        kit.flushToDisk();
        report.progress(QStringLiteral("run %1 of %2").arg(r + 1).arg(settings.runs));
        const ChildRun a = kit.runner().run(
            {QStringLiteral("mawk"), QStringLiteral("-F\""), QString::fromLatin1(awkCount), log},
            folder + QStringLiteral("/awk.out"));
        if (!a.ok()) {
            report.error(QStringLiteral("mawk failed: %1").arg(a.failure()));
            return;
        }
        const ScenarioKit::Update u = kit.update(round);
        if (!kit.succeeded(u, round) || !kit.counted(expected, round.database))
            return;
        if (r == 0 || a.seconds < awk.seconds)
            awk = a;
        if (r == 0 || u.run.seconds < best.seconds) {
            best = u.run;
            shown = u;
        }
    }
    const double megabytes = double(generator.bytes()) / ScenarioKit::mebibyte;
    report.figure(QStringLiteral("log"),
                  QStringLiteral("%1 lines, %2, %3 rows expected")
                      .arg(BenchReport::count(generator.lines()), BenchReport::mib(megabytes),
                           BenchReport::count(expected.rowCount())));
    report.figure(QStringLiteral("tolvane --update"),
                  QStringLiteral("%1, %2 lines/s, %3 MiB/s, peak memory %4")
                      .arg(BenchReport::seconds(best.seconds),
                           BenchReport::rate(double(generator.lines()) / best.seconds))
                      .arg(megabytes / best.seconds, 0, 'f', 0)
                      .arg(BenchReport::mib(best.peakMiB)));
    report.figure(QStringLiteral("its summary"), shown.summary);
    report.figure(QStringLiteral("mawk kills/deaths"), BenchReport::seconds(awk.seconds));
    report.figure(QStringLiteral("counts"),
                  QStringLiteral("exact in every run (%1 rows x 31 counters, places)")
                      .arg(BenchReport::count(expected.rowCount())));
    report.target(
        QStringLiteral("at most 0.5 x mawk (%1)").arg(BenchReport::seconds(awk.seconds * 0.5)),
        best.seconds <= 0.5 * awk.seconds);
}
