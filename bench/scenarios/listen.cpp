#include "bench/scenarios.h"

#include "bench/scriptedservers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <csignal>
#include <optional>

namespace {

/// What one run of "listen" measured.
struct ListenRun
{
    double received = 0; ///< seconds until every line was in its spool file
    double counted = 0; ///< seconds until the last count ended
    int counts = 0;
    int window = 0; ///< datagrams of each server in flight at most
    double peakMiB = 0;
    QString lastCount;
};

/// Starts a listener with its spool folder and database in \a folder, has \a servers send
/// their logs to it, stops it and checks what it counted against \a expected.
std::optional<ListenRun> listenRun(ScenarioKit &kit, ScriptedServers &servers,
                                   const QByteArray &secret, const ExpectedStats &expected,
                                   const QString &folder)
{
    BenchReport &report = kit.report();
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString spool = folder + QStringLiteral("/spool");
    const QString database = folder + QStringLiteral("/Stats.db");
    const QString output = folder + QStringLiteral("/listen.out");
    const QString errors = folder + QStringLiteral("/listen.err");
    QProcess listener;
    const QRegularExpressionMatch started = kit.startChild(
        listener,
        {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--allow"),
         QStringLiteral("127.0.0.1:%1").arg(servers.port(0)), QStringLiteral("--allow"),
         QStringLiteral("127.0.0.1:%1/%2").arg(servers.port(1)).arg(QString::fromLatin1(secret)),
         QStringLiteral("--interval"), QStringLiteral("1"), QStringLiteral("--logs"), spool,
         QStringLiteral("--db"), database},
        output, errors,
        QRegularExpression(QStringLiteral("UDP port (\\d+) .*receive buffer (\\d+) KiB")));
    auto fail = [&](const QString &why, const QStringList &details = {}) {
        if (listener.state() != QProcess::NotRunning) {
            listener.kill();
            listener.waitForFinished();
        }
        report.error(why, details + kit.readLines(errors));
        return std::optional<ListenRun>();
    };
    if (!started.hasMatch())
        return fail(QStringLiteral("tolvane --listen did not start"));
    ListenRun run;
    const auto port = quint16(started.captured(1).toUInt());
    // A datagram of a log line takes about a KiB of the receive buffer on the loopback, and the
    // two servers share it: each keeps at most a quarter of it in flight.
    run.window = std::max(64, started.captured(2).toInt() / 4);

    kit.flushToDisk();
    QElapsedTimer clock;
    clock.start();
    if (!servers.sendAllButLast(port, spool, run.window, 60))
        return fail(servers.errorString());
    run.received = double(clock.nsecsElapsed()) / 1e9;
    if (!servers.sendLast())
        return fail(servers.errorString());
    run.peakMiB = kit.peakMiB(listener.processId());
    ::kill(pid_t(listener.processId()), SIGTERM);
    if (!listener.waitForFinished(600000))
        return fail(QStringLiteral("tolvane --listen did not end after SIGTERM"));
    run.counted = double(clock.nsecsElapsed()) / 1e9;
    if (listener.exitStatus() != QProcess::NormalExit || listener.exitCode() != 0)
        return fail(
            QStringLiteral("tolvane --listen ended with exit status %1").arg(listener.exitCode()));

    // Every line counted exactly once, by the counts while the servers sent and the last one.
    const QStringList printed = kit.readLines(output);
    qint64 linesCounted = 0;
    QStringList dropped;
    for (const QString &line : printed) {
        if (line.startsWith(QLatin1String("tolvane: counted: "))) {
            linesCounted += kit.summaryNumber(line, QStringLiteral("lines")).value_or(0);
            ++run.counts;
            run.lastCount = line.mid(18);
        } else if (line.contains(QLatin1String("dropped by the system"))) {
            dropped << line;
        }
    }
    if (!dropped.isEmpty())
        return fail(QStringLiteral("the system dropped datagrams"), dropped);
    if (linesCounted != servers.lines())
        return fail(QStringLiteral("the counts took %1 lines of the %2 sent")
                        .arg(linesCounted)
                        .arg(servers.lines()),
                    printed);
    if (const QStringList left = kit.logsLeft(spool); !left.isEmpty())
        return fail(QStringLiteral("tolvane --listen left %1 spool file(s), such as %2")
                        .arg(left.size())
                        .arg(left.first()));
    if (!kit.counted(expected, database))
        return std::nullopt;
    QDir(folder).removeRecursively();
    return run;
}

} // namespace

void Scenarios::listen(ScenarioKit &kit)
{
    BenchReport &report = kit.report();
    const BenchSettings &settings = kit.settings();
    const qint64 lines = kit.scaled(200000, 1000);
    const int players = int(kit.scaled(5000, 20));
    report.scenario(QStringLiteral("listen"),
                    QStringLiteral("two game servers send a log of %1 lines each at once over "
                                   "UDP, as fast as tolvane --listen writes them; it counts "
                                   "every second, then SIGTERM and its last count; best of %2")
                        .arg(BenchReport::count(lines))
                        .arg(settings.runs));
    const QString folder = kit.scenarioFolder(QStringLiteral("listen"));
    const ScenarioKit::RemovedAtEnd cleanup {folder};

    // One pool of players for both servers, as players move between servers.
    ExpectedStats expected;
    ScriptedServers servers;
    const QByteArray secret = "27182818";
    for (int s = 0; s < 2; ++s) {
        LogGenerator generator(expected, quint32(1400 + s));
        const QString log = folder + QStringLiteral("/server%1.log").arg(s);
        report.progress(QStringLiteral("writing the log of server %1").arg(s + 1));
        if (!kit.writeLog(
                log, generator, [&] { return generator.lines() < lines - 1; },
                [&](bool) { return int(generator.random().bounded(players)); }))
            return;
        if (!servers.add(log, s == 0 ? QByteArray() : secret)) {
            report.error(servers.errorString());
            return;
        }
    }

    std::optional<ListenRun> best;
    for (int r = 0; r < settings.runs; ++r) {
        report.progress(QStringLiteral("run %1 of %2").arg(r + 1).arg(settings.runs));
        const std::optional<ListenRun> run =
            listenRun(kit, servers, secret, expected, folder + QStringLiteral("/run%1").arg(r));
        if (!run)
            return;
        if (!best || run->counted < best->counted)
            best = run;
    }

    const double total = double(servers.lines());
    report.figure(
        QStringLiteral("sent"),
        QStringLiteral("%1 lines by two servers, one plain, one keyed; %2 rows "
                       "expected; at most %3 datagrams of each in flight")
            .arg(BenchReport::count(servers.lines()), BenchReport::count(expected.rowCount()))
            .arg(best->window));
    report.figure(
        QStringLiteral("received"),
        QStringLiteral("%1 lines/s: every line in its spool file after %2")
            .arg(BenchReport::rate(total / best->received), BenchReport::seconds(best->received)));
    report.figure(
        QStringLiteral("counted"),
        QStringLiteral("%1 lines/s: every line counted and ranked after %2, by %3 "
                       "counts (%4 while the servers sent)")
            .arg(BenchReport::rate(total / best->counted), BenchReport::seconds(best->counted))
            .arg(best->counts)
            .arg(best->counts - 1));
    report.figure(QStringLiteral("the last count"), best->lastCount);
    report.figure(QStringLiteral("listener"),
                  QStringLiteral("peak memory %1, no datagram dropped in any run")
                      .arg(BenchReport::mib(best->peakMiB)));
    report.figure(QStringLiteral("counts"),
                  QStringLiteral("exact in every run (%1 rows x 31 counters, places)")
                      .arg(BenchReport::count(expected.rowCount())));
}
