// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/scenarios.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>

namespace {

constexpr int connections = 16;
constexpr qint64 fewRequests = 10000;
constexpr qint64 manyRequests = 100000;

/// What wrk measured in one run: its own figures, read from the line the script prints.
struct Load
{
    qint64 requests = 0;
    double seconds = 0;
    double p50 = 0; ///< ms
    double p99 = 0; ///< ms
    qint64 errors = 0; ///< connections that failed or timed out
    qint64 refused = 0; ///< answers other than 2xx and 3xx
    QString failure;

    bool ok() const { return failure.isEmpty(); }
    double perSecond() const { return seconds > 0 ? double(requests) / seconds : 0; }
    QString text() const
    {
        if (!ok())
            return failure;
        QString shown = QStringLiteral("%1 req/s, p50 %2 ms, p99 %3 ms (%4 requests)")
                            .arg(perSecond(), 0, 'f', 0)
                            .arg(p50, 0, 'f', 1)
                            .arg(p99, 0, 'f', 1)
                            .arg(BenchReport::count(requests));
        if (errors > 0 || refused > 0)
            shown += QStringLiteral(", %1 socket errors, %2 answers not 2xx/3xx")
                         .arg(errors)
                         .arg(refused);
        return shown;
    }
};

/// Starts wrk with \a connections connections on two threads for \a seconds against the server
/// on \a port, spreading the requests over the paths listed in \a paths; with \a requests, each
/// thread stops after its half of them.
void startWrk(QProcess &wrk, quint16 port, const QString &paths, int seconds, qint64 requests = 0)
{
    QStringList more {paths};
    if (requests > 0)
        more << QString::number((requests + 1) / 2);
    wrk.setProcessChannelMode(QProcess::MergedChannels);
    const QStringList arguments {
        QStringLiteral("-t2"),
        QStringLiteral("-c%1").arg(connections),
        QStringLiteral("-d%1s").arg(seconds),
        QStringLiteral("--timeout"),
        QStringLiteral("10s"),
        QStringLiteral("-s"),
        requests > 0 ? QStringLiteral(WRK_COUNTED_SCRIPT) : QStringLiteral(WRK_SCRIPT),
        QStringLiteral("http://127.0.0.1:%1").arg(port),
        QStringLiteral("--"),
    };
    wrk.start(QStringLiteral("wrk"), arguments + more);
}

Load finishWrk(QProcess &wrk, int seconds)
{
    Load load;
    if (wrk.state() != QProcess::NotRunning && !wrk.waitForFinished((seconds + 30) * 1000)) {
        wrk.kill();
        wrk.waitForFinished();
        load.failure = QStringLiteral("wrk did not end");
        return load;
    }
    const QString out = QString::fromLocal8Bit(wrk.readAll());
    static const QRegularExpression figures(
        QStringLiteral("wrk-figures requests=(\\d+) seconds=([0-9.]+) p50=([0-9.]+) "
                       "p99=([0-9.]+) errors=(\\d+) status=(\\d+)"));
    const QRegularExpressionMatch m = figures.match(out);
    if (wrk.exitStatus() != QProcess::NormalExit || wrk.exitCode() != 0 || !m.hasMatch()) {
        load.failure = QStringLiteral("wrk failed: ") + out.trimmed().left(300);
        return load;
    }
    load.requests = m.captured(1).toLongLong();
    load.seconds = m.captured(2).toDouble();
    load.p50 = m.captured(3).toDouble();
    load.p99 = m.captured(4).toDouble();
    load.errors = m.captured(5).toLongLong();
    load.refused = m.captured(6).toLongLong();
    return load;
}

Load runWrk(quint16 port, const QString &paths, int seconds)
{
    QProcess wrk;
    startWrk(wrk, port, paths, seconds);
    return finishWrk(wrk, seconds);
}

/// What a process holds in memory now, from /proc, in KiB; -1 when unknown.
qint64 residentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

bool writePaths(const QString &path, const QList<QByteArray> &paths)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const QByteArray &line : paths)
        file.write(line + '\n');
    return file.flush();
}

/// One build's figures.
struct Measured
{
    Load pages;
    Load players;
    Load pagesUpdating;
    Load playersUpdating;
    int updates = 0;
    qint64 afterFew = -1; ///< KiB
    qint64 afterMany = -1;
    qint64 requests = 0; ///< reached by the memory run
    qint64 requestsAtFew = 0; ///< when afterFew was read
};

} // namespace

void Scenarios::webLoad(ScenarioKit &kit)
{
    BenchReport &report = kit.report();
    const BenchSettings &settings = kit.settings();
    const ScenarioKit::Players *players = kit.players();
    if (!players)
        return;
    const bool baseline = !settings.baseline.isEmpty();
    const int seconds = int(std::max<qint64>(2, kit.scaled(5, 2)));
    report.scenario(
        QStringLiteral("webLoad"),
        QStringLiteral("tolvane --serve on the %1-player database under wrk, %2 connections "
                       "for %3 s a run: 60 ranking pages, 2,000 players' pages, both while "
                       "updates commit; memory after %4 and %5 requests%6")
            .arg(BenchReport::count(players->count))
            .arg(connections)
            .arg(seconds)
            .arg(BenchReport::count(fewRequests), BenchReport::count(manyRequests))
            .arg(baseline ? QStringLiteral("; the baseline the same") : QString()));
    const QString folder = kit.scenarioFolder(QStringLiteral("webLoad"));
    const ScenarioKit::RemovedAtEnd cleanup {folder};

    // The pages asked for: 60 of the ranking spread over all of it, 2,000 players at random.
    QList<QByteArray> pages;
    QList<QByteArray> playerPages;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("webLoad"));
        db.setDatabaseName(players->database);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(
                    QStringLiteral("SELECT p.Id FROM Players p JOIN Stats s ON s.Nom = p.Nom "
                                   "WHERE s.Place > 0 ORDER BY random() LIMIT 2000")))
                while (query.next())
                    playerPages << "/player/" + query.value(0).toByteArray();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("webLoad"));
    const qint64 pageCount = std::max<qint64>(1, (players->count + 99) / 100);
    for (qint64 i = 0; i < 60; ++i) {
        const qint64 start = i * pageCount / 60 * 100;
        pages << (start == 0 ? QByteArray("/") : "/?after=" + QByteArray::number(start));
    }
    const QString pagesFile = folder + QStringLiteral("/pages.txt");
    const QString playersFile = folder + QStringLiteral("/players.txt");
    const QString bothFile = folder + QStringLiteral("/both.txt");
    if (playerPages.isEmpty() || !writePaths(pagesFile, pages)
        || !writePaths(playersFile, playerPages) || !writePaths(bothFile, pages + playerPages)) {
        report.error(QStringLiteral("cannot list the pages in %1").arg(folder));
        return;
    }

    // A small update of known players, counted again and again while the pages are asked for.
    const QString log = folder + QStringLiteral("/L1208001.log");
    {
        ExpectedStats expected = *players->expected;
        LogGenerator generator(expected, 1208);
        if (!kit.writeLog(
                log, generator, [&] { return generator.lines() < 999; },
                [&](bool) { return int(generator.random().bounded(players->count)); }))
            return;
    }

    QList<QPair<QString, QString>> contenders {{QStringLiteral("new"), settings.tolvane}};
    if (baseline)
        contenders.append({QStringLiteral("baseline"), settings.baseline});
    QList<Measured> measured;
    int round = 0;
    for (const auto &[name, program] : contenders) {
        Measured m;
        const QString database = folder + QLatin1Char('/') + name + QStringLiteral(".db");
        report.progress(QStringLiteral("%1: copying the database").arg(name));
        if (!kit.copyDatabase(players->database, database)) {
            report.error(QStringLiteral("cannot copy the database into %1").arg(folder));
            return;
        }
        kit.flushToDisk();
        QProcess server;
        const QString output = folder + QStringLiteral("/serve.out");
        const QString errors = folder + QStringLiteral("/serve.err");
        const QRegularExpressionMatch started = kit.startChild(
            server,
            {QStringLiteral("--serve"), QStringLiteral("0"), QStringLiteral("--db"), database},
            output, errors, QRegularExpression(QStringLiteral("at http://127\\.0\\.0\\.1:(\\d+)/")),
            program);
        auto stop = [&server] {
            ScenarioKit::stopChild(server);
        };
        if (!started.hasMatch()) {
            stop();
            report.error(QStringLiteral("%1: tolvane --serve did not start").arg(name),
                         kit.readLines(errors));
            return;
        }
        const auto port = quint16(started.captured(1).toUInt());

        report.progress(QStringLiteral("%1: ranking pages").arg(name));
        m.pages = runWrk(port, pagesFile, seconds);
        report.progress(QStringLiteral("%1: players' pages").arg(name));
        m.players = runWrk(port, playersFile, seconds);
        for (Load *load : {&m.pagesUpdating, &m.playersUpdating}) {
            report.progress(QStringLiteral("%1: %2 while updates commit")
                                .arg(name,
                                     load == &m.pagesUpdating ? QStringLiteral("ranking pages")
                                                              : QStringLiteral("players")));
            QProcess wrk;
            startWrk(wrk, port, load == &m.pagesUpdating ? pagesFile : playersFile, seconds);
            while (wrk.state() != QProcess::NotRunning) {
                ScenarioKit::Round updating;
                if (!kit.newRound(folder, ++round, {log}, updating))
                    break;
                updating.database = database;
                const ScenarioKit::Update u = kit.update(updating);
                QDir(QFileInfo(updating.logs).path()).removeRecursively();
                if (!u.run.ok()) {
                    report.error(QStringLiteral("%1: the update failed").arg(name), u.errors);
                    break;
                }
                ++m.updates;
                wrk.waitForFinished(200);
            }
            *load = finishWrk(wrk, seconds);
        }

        // The memory it holds after 10,000 requests over both lists, and after 100,000: wrk
        // stops at the count, given the time the rate seen so far needs, at most a minute.
        report.progress(QStringLiteral("%1: memory over %2 requests")
                            .arg(name, BenchReport::count(manyRequests)));
        const double rate = std::max(1.0, (m.players.perSecond() + m.pages.perSecond()) / 2);
        auto counted = [&](qint64 requests) {
            const int bound = int(std::clamp(double(requests) / rate * 1.5 + 2, 2.0, 60.0));
            QProcess wrk;
            startWrk(wrk, port, bothFile, bound, requests);
            return finishWrk(wrk, bound);
        };
        const Load few = counted(fewRequests);
        m.requestsAtFew = few.requests;
        m.afterFew = residentKiB(server.processId());
        const Load many = counted(manyRequests - few.requests);
        m.requests = few.requests + many.requests;
        m.afterMany = residentKiB(server.processId());
        stop();
        measured << m;
    }

    for (qsizetype i = 0; i < measured.size(); ++i) {
        const Measured &m = measured[i];
        const QString name = contenders[i].first;
        report.figure(name + QStringLiteral(": 60 ranking pages"), m.pages.text());
        report.figure(name + QStringLiteral(": 2,000 players"), m.players.text());
        report.figure(name + QStringLiteral(": ranking pages, updates committing"),
                      m.pagesUpdating.text());
        report.figure(name + QStringLiteral(": players, updates committing"),
                      m.playersUpdating.text()
                          + QStringLiteral("; %1 updates in both").arg(m.updates));
        report.figure(name + QStringLiteral(": memory"),
                      QStringLiteral("%1 KiB after %2 requests, %3 KiB after %4")
                          .arg(m.afterFew)
                          .arg(BenchReport::count(m.requestsAtFew))
                          .arg(m.afterMany)
                          .arg(BenchReport::count(m.requests)));
    }
    const Measured &m = measured.front();
    // The targets hold while updates commit too: each is judged on both of its runs.
    const auto within = [](const Load &load, double perSecond, double p99) {
        return load.ok() && load.perSecond() >= perSecond && load.p99 < p99;
    };
    report.target(QStringLiteral("ranking pages: at least 2,000 req/s, p99 under 25 ms, also "
                                 "while updates commit"),
                  within(m.pages, 2000, 25) && within(m.pagesUpdating, 2000, 25));
    report.target(QStringLiteral("players' pages: at least 1,000 req/s, p99 under 50 ms, also "
                                 "while updates commit"),
                  within(m.players, 1000, 50) && within(m.playersUpdating, 1000, 50));
    report.target(QStringLiteral("memory after %1 requests within 10% of after %2")
                      .arg(BenchReport::count(manyRequests), BenchReport::count(fewRequests)),
                  m.requests >= manyRequests && m.afterFew > 0
                      && double(m.afterMany) <= double(m.afterFew) * 1.1);
}
