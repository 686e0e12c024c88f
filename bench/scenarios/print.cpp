#include "bench/scenarios.h"

#include <QFile>
#include <QFileInfo>

void Scenarios::print(ScenarioKit &kit)
{
    BenchReport &report = kit.report();
    const BenchSettings &settings = kit.settings();
    const ScenarioKit::Players *players = kit.players();
    if (!players)
        return;
    report.scenario(QStringLiteral("print"),
                    QStringLiteral("tolvane --print of the %1-player database into a file; "
                                   "best of %2")
                        .arg(BenchReport::count(players->count))
                        .arg(settings.runs));
    const QString folder = kit.scenarioFolder(QStringLiteral("print"));
    const ScenarioKit::RemovedAtEnd cleanup {folder};
    const QString output = folder + QStringLiteral("/ranking.txt");
    const QString errors = folder + QStringLiteral("/print.err");
    const auto best = kit.runEach(
        [&](int) {
            QFile::remove(output);
            return QStringList {settings.tolvane, QStringLiteral("--print"), QStringLiteral("--db"),
                                players->database};
        },
        output, errors, QStringLiteral("tolvane --print"));
    if (!best)
        return;
    const qint64 lines = kit.countLines(output);
    report.figure(QStringLiteral("tolvane --print"),
                  QStringLiteral("%1, peak memory %2")
                      .arg(BenchReport::seconds(best->seconds), BenchReport::mib(best->peakMiB)));
    report.figure(
        QStringLiteral("its output"),
        QStringLiteral("%1 lines, %2")
            .arg(BenchReport::count(lines),
                 BenchReport::mib(double(QFileInfo(output).size()) / ScenarioKit::mebibyte)));
    if (lines < players->count + 1)
        report.error(
            QStringLiteral("%1 lines printed for %2 players").arg(lines).arg(players->count));
    report.target(QStringLiteral("peak memory under %1 MiB").arg(ScenarioKit::memoryTarget),
                  best->peakMiB < ScenarioKit::memoryTarget);
}
