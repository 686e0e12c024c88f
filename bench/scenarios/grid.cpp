#include "bench/scenarios.h"

#include <QFile>

void Scenarios::grid(ScenarioKit &kit)
{
    BenchReport &report = kit.report();
    const BenchSettings &settings = kit.settings();
    const ScenarioKit::Players *players = kit.players();
    if (!players)
        return;
    report.scenario(QStringLiteral("grid"),
                    QStringLiteral("the results window opened offscreen on the %1-player "
                                   "database, then Ctrl+End; best of %2")
                        .arg(BenchReport::count(players->count))
                        .arg(settings.runs));
    const QString folder = kit.scenarioFolder(QStringLiteral("grid"));
    const ScenarioKit::RemovedAtEnd cleanup {folder};
    const QString output = folder + QStringLiteral("/probe.out");
    const QString errors = folder + QStringLiteral("/probe.err");
    qint64 bestOpen = -1;
    qint64 bestEnd = -1;
    QString lastRow;
    const auto probed = kit.runEach(
        [&](int r) {
            // A copy each time, as the window may write to the database it opens.
            const QString database = folder + QStringLiteral("/Stats%1.db").arg(r);
            QFile::copy(players->database, database);
            return QStringList {QStringLiteral(GRIDPROBE_BINARY), database};
        },
        output, errors, QStringLiteral("the grid probe"),
        [&](const ChildRun &) {
            const QStringList lines = kit.readLines(output);
            if (lines.size() < 2) {
                report.error(QStringLiteral("the grid probe said nothing"));
                return false;
            }
            const qint64 open = lines[0].section(QLatin1Char(' '), 1, 1).toLongLong();
            const QStringList end = lines[1].split(QLatin1Char(' '));
            if (bestOpen < 0 || open < bestOpen)
                bestOpen = open;
            if (bestEnd < 0 || end.value(1).toLongLong() < bestEnd)
                bestEnd = end.value(1).toLongLong();
            lastRow = end.value(2) + QStringLiteral(" of ") + end.value(3);
            if (end.value(2) != end.value(3) || end.value(3).toInt() != players->count)
                report.error(QStringLiteral("Ctrl+End reached row %1").arg(lastRow));
            return true;
        });
    if (!probed)
        return;
    report.figure(QStringLiteral("window shown"),
                  QStringLiteral("%1 ms to the first paint of the grid").arg(bestOpen));
    report.figure(QStringLiteral("Ctrl+End"),
                  QStringLiteral("%1 ms to show row %2").arg(bestEnd).arg(lastRow));
    report.target(QStringLiteral("opens in under 300 ms"), bestOpen < 300);
    report.target(QStringLiteral("Ctrl+End reaches the last row"),
                  lastRow == QStringLiteral("%1 of %1").arg(players->count));
}
