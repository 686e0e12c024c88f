#include "bench/scenarios.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr double longLineMemoryTarget = 50;

} // namespace

void Scenarios::longLine(ScenarioKit &kit)
{
    BenchReport &report = kit.report();
    const qint64 full = kit.scaled(200 << 20, 64 << 10);
    const int players = 200;
    constexpr int ordinaryLines = 1000;
    report.scenario(QStringLiteral("longLine"),
                    QStringLiteral("a closed log holding one %1 line among %2 ordinary ones; "
                                   "once at half that length, once at full length")
                        .arg(BenchReport::mib(double(full) / ScenarioKit::mebibyte),
                             BenchReport::count(2 * ordinaryLines)));
    const QString folder = kit.scenarioFolder(QStringLiteral("longLine"));
    const ScenarioKit::RemovedAtEnd cleanup {folder};

    struct Measure
    {
        qint64 bytes = 0;
        ChildRun run;
        ScenarioKit::Update update;
    };
    Measure measures[2];
    for (int m = 0; m < 2; ++m) {
        Measure &measure = measures[m];
        measure.bytes = m == 0 ? full / 2 : full;
        const QString log = folder + QStringLiteral("/L1207003.log");
        ExpectedStats expected;
        LogGenerator generator(expected, 3);
        report.progress(QStringLiteral("writing a log with a %1 line")
                            .arg(BenchReport::mib(double(measure.bytes) / ScenarioKit::mebibyte)));
        if (!generator.open(log)) {
            report.error(QStringLiteral("cannot write %1: %2").arg(log, generator.errorString()));
            return;
        }
        for (int half = 0; half < 2; ++half) {
            if (half == 1)
                generator.longMalformedLine(measure.bytes);
            for (int i = 0; i < ordinaryLines; ++i) {
                const LogGenerator::Kind kind = generator.randomKind();
                generator.write(kind, int(generator.random().bounded(players)),
                                int(generator.random().bounded(players)));
            }
        }
        if (!generator.finish()) {
            report.error(QStringLiteral("cannot write %1: %2").arg(log, generator.errorString()));
            return;
        }
        ScenarioKit::Round round;
        if (!kit.newRound(folder, m, {log}, round))
            return;
        QFile::remove(log);
        kit.flushToDisk();
        report.progress(QStringLiteral("run"));
        measure.update = kit.update(round);
        measure.run = measure.update.run;
        if (!kit.succeeded(measure.update, round) || !kit.counted(expected, round.database))
            return;
        const auto malformed =
            kit.summaryNumber(measure.update.summary, QStringLiteral("malformed"));
        if (!malformed || *malformed != generator.malformedLines()) {
            report.error(QStringLiteral("the summary should report %1 malformed lines (the long "
                                        "one among them): %2")
                             .arg(generator.malformedLines())
                             .arg(measure.update.summary));
            return;
        }
        QDir(QFileInfo(round.logs).path()).removeRecursively();
    }
    for (const Measure &measure : measures) {
        const double megabytes = double(measure.bytes) / ScenarioKit::mebibyte;
        report.figure(QStringLiteral("%1 line").arg(BenchReport::mib(megabytes)),
                      QStringLiteral("%1, %2 MiB/s, peak memory %3")
                          .arg(BenchReport::seconds(measure.run.seconds))
                          .arg(megabytes / measure.run.seconds, 0, 'f', 0)
                          .arg(BenchReport::mib(measure.run.peakMiB)));
    }
    report.figure(QStringLiteral("its summary"), measures[1].update.summary);
    const double ratio = measures[1].run.seconds / measures[0].run.seconds;
    report.figure(
        QStringLiteral("time ratio"),
        QStringLiteral("%1 for twice the length (2 is linear, 4 quadratic)").arg(ratio, 0, 'f', 2));
    report.figure(QStringLiteral("counts"),
                  QStringLiteral("exact around the long line, which is reported malformed"));
    report.target(QStringLiteral("linear time (ratio at most 2.5)"), ratio <= 2.5);
    report.target(QStringLiteral("peak memory under %1 MiB").arg(longLineMemoryTarget),
                  std::max(measures[0].run.peakMiB, measures[1].run.peakMiB)
                      < longLineMemoryTarget);
}
