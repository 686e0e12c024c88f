#include "bench/scenarios.h"

#include <QDir>
#include <QFileInfo>

void Scenarios::manyFiles(ScenarioKit &kit)
{
    BenchReport &report = kit.report();
    const BenchSettings &settings = kit.settings();
    const qint64 total = kit.scaled(20000, 10);
    const int players = int(kit.scaled(2000, 10));
    // A whole run at a slow pace would take many minutes: a trial on a few hundred logs finds
    // the pace first, and the runs are done on those logs when the whole set would not fit.
    constexpr qint64 trialSize = 500;
    constexpr double budgetSeconds = 180;
    report.scenario(QStringLiteral("manyFiles"),
                    QStringLiteral("%1 closed logs of one kill each in one folder; best of %2")
                        .arg(BenchReport::count(total))
                        .arg(settings.runs));
    const QString folder = kit.scenarioFolder(QStringLiteral("manyFiles"));
    const ScenarioKit::RemovedAtEnd cleanup {folder};

    struct LogSet
    {
        QStringList logs;
        ExpectedStats expected;
    };
    auto writeSet = [&](const QString &name, qint64 count, LogSet &set) {
        const QString where = folder + QLatin1Char('/') + name;
        QDir().mkpath(where);
        LogGenerator generator(set.expected, quint32(count));
        generator.setVariantShare(0.01);
        report.progress(QStringLiteral("writing %1 logs").arg(BenchReport::count(count)));
        for (qint64 i = 0; i < count; ++i) {
            const QString path = where + QStringLiteral("/L%1.log").arg(i, 7, 10, QLatin1Char('0'));
            if (!generator.open(path)) {
                report.error(
                    QStringLiteral("cannot write %1: %2").arg(path, generator.errorString()));
                return false;
            }
            generator.write(LogGenerator::Kind::Kill, int(generator.random().bounded(players)),
                            int(generator.random().bounded(players)));
            if (!generator.finish()) {
                report.error(
                    QStringLiteral("cannot write %1: %2").arg(path, generator.errorString()));
                return false;
            }
            set.logs << path;
        }
        return true;
    };
    int number = 0;
    auto timeRun = [&](const LogSet &set, ChildRun &best, ScenarioKit::Update &shown) {
        ScenarioKit::Round round;
        if (!kit.newRound(folder, number++, set.logs, round))
            return false;
        kit.flushToDisk();
        report.progress(QStringLiteral("run on %1 logs").arg(BenchReport::count(set.logs.size())));
        const ScenarioKit::Update u = kit.update(round);
        if (!kit.succeeded(u, round) || !kit.counted(set.expected, round.database))
            return false;
        if (best.seconds == 0 || u.run.seconds < best.seconds) {
            best = u.run;
            shown = u;
        }
        QDir(QFileInfo(round.logs).path()).removeRecursively();
        return true;
    };

    LogSet trial;
    LogSet whole;
    ChildRun best;
    ScenarioKit::Update shown;
    const LogSet *timed = &whole;
    int runsLeft = settings.runs;
    QString projection;
    if (total > trialSize) {
        ChildRun trialBest;
        ScenarioKit::Update trialShown;
        if (!writeSet(QStringLiteral("trial"), trialSize, trial)
            || !timeRun(trial, trialBest, trialShown))
            return;
        const double perRun = double(total) / (double(trialSize) / trialBest.seconds);
        if (perRun * settings.runs > budgetSeconds) {
            timed = &trial;
            best = trialBest;
            shown = trialShown;
            --runsLeft;
            projection = QStringLiteral("timed on %1 logs instead of %2, of which a run would "
                                        "take about %3 at this pace")
                             .arg(BenchReport::count(trialSize), BenchReport::count(total),
                                  QString::number(perRun, 'f', 0) + QStringLiteral(" s"));
        }
    }
    if (timed == &whole && !writeSet(QStringLiteral("whole"), total, whole))
        return;
    for (int r = 0; r < runsLeft; ++r) {
        if (!timeRun(*timed, best, shown))
            return;
    }
    const qint64 files = timed->logs.size();
    const double rate = double(files) / best.seconds;
    if (!projection.isEmpty())
        report.figure(QStringLiteral("note"), projection);
    report.figure(QStringLiteral("tolvane --update"),
                  QStringLiteral("%1 for %2 logs, %3 files/s, peak memory %4")
                      .arg(BenchReport::seconds(best.seconds), BenchReport::count(files),
                           BenchReport::rate(rate), BenchReport::mib(best.peakMiB)));
    report.figure(QStringLiteral("its summary"), shown.summary);
    report.figure(QStringLiteral("counts"),
                  QStringLiteral("exact in every run (%1 rows x 31 counters, places)")
                      .arg(BenchReport::count(timed->expected.rowCount())));
    report.target(QStringLiteral("at least 1,000 files/s"), rate >= 1000);
}
