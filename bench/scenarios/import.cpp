#include "bench/scenarios.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>

void Scenarios::importPlayers(ScenarioKit &kit, int runs)
{
    BenchReport &report = kit.report();
    const int players = int(kit.scaled(600000, 100));
    report.scenario(QStringLiteral("import"),
                    QStringLiteral("one log naming %1 new players, counted into an empty "
                                   "database; best of %2")
                        .arg(BenchReport::count(players))
                        .arg(runs));
    const QString folder = kit.scenarioFolder(QStringLiteral("import"));
    const ScenarioKit::RemovedAtEnd cleanup {folder};
    const QString log = folder + QStringLiteral("/L1207001.log");
    auto expected = std::make_unique<ExpectedStats>();
    LogGenerator generator(*expected, 600);
    generator.setVariantShare(0.001);
    // Most counted mentions bring in a player not seen yet, until all of them are in.
    int introduced = 0;
    auto pick = [&](bool counts) {
        if (counts && introduced < players
            && (introduced == 0 || generator.random().bounded(100) < 75))
            return introduced++;
        return introduced == 0 ? 0 : int(generator.random().bounded(introduced));
    };
    report.progress(QStringLiteral("writing the log"));
    if (!kit.writeLog(
            log, generator, [&] { return introduced < players; }, pick))
        return;
    if (expected->rowCount() != players) {
        report.error(QStringLiteral("the log names %1 players, not %2")
                         .arg(expected->rowCount())
                         .arg(players));
        return;
    }

    const QString kept = kit.workPath(QStringLiteral("players.db"));
    ChildRun best;
    ScenarioKit::Update shown;
    for (int r = 0; r < runs; ++r) {
        ScenarioKit::Round round;
        if (!kit.newRound(folder, r, {log}, round))
            return;
        kit.flushToDisk();
        report.progress(QStringLiteral("run %1 of %2").arg(r + 1).arg(runs));
        const ScenarioKit::Update u = kit.update(round);
        if (!kit.succeeded(u, round))
            return;
        report.progress(QStringLiteral("checking %1 rows").arg(BenchReport::count(players)));
        if (!kit.counted(*expected, round.database))
            return;
        if (r == 0 || u.run.seconds < best.seconds) {
            best = u.run;
            shown = u;
        }
        if (r == 0) {
            QFile::remove(kept);
            if (!QFile::rename(round.database, kept)) {
                report.error(QStringLiteral("cannot keep the database as %1").arg(kept));
                return;
            }
        }
        QDir(QFileInfo(round.logs).path()).removeRecursively();
    }
    report.figure(QStringLiteral("log"),
                  QStringLiteral("%1 lines, %2, %3 players")
                      .arg(BenchReport::count(generator.lines()),
                           BenchReport::mib(double(generator.bytes()) / ScenarioKit::mebibyte),
                           BenchReport::count(players)));
    const double rate = players / best.seconds;
    report.figure(QStringLiteral("tolvane --update"),
                  QStringLiteral("%1, %2 players/s, peak memory %3")
                      .arg(BenchReport::seconds(best.seconds), BenchReport::rate(rate),
                           BenchReport::mib(best.peakMiB)));
    report.figure(QStringLiteral("its summary"), shown.summary);
    report.figure(QStringLiteral("database"),
                  BenchReport::mib(double(QFileInfo(kept).size()) / ScenarioKit::mebibyte));
    report.figure(QStringLiteral("counts"),
                  QStringLiteral("exact in every run (%1 rows x 31 counters, places)")
                      .arg(BenchReport::count(players)));
    report.target(QStringLiteral("at least 200,000 players/s"), rate >= 200000);
    kit.keepPlayers({kept, std::move(expected), players});
}

void Scenarios::import(ScenarioKit &kit)
{
    importPlayers(kit, kit.settings().runs);
}
