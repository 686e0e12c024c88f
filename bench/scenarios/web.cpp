// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/scenarios.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QUrl>

#include <algorithm>

namespace {

/// One GET over a connection of its own, as a browser's first visit makes it: the time until
/// the whole answer is in, and its status; a status of 0 when the server did not answer.
struct Fetched
{
    int status = 0;
    qint64 bytes = 0;
    double milliseconds = 0;
};

Fetched fetch(quint16 port, const QByteArray &target)
{
    Fetched fetched;
    QElapsedTimer clock;
    clock.start();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        return fetched;
    socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    // The answer is whole when its Content-Length has come: the server may keep the
    // connection open for another request.
    QByteArray answer;
    qint64 whole = -1;
    while ((whole < 0 || answer.size() < whole) && socket.waitForReadyRead(10000)) {
        answer += socket.readAll();
        const qsizetype end = answer.indexOf("\r\n\r\n");
        if (whole < 0 && end >= 0) {
            static const QRegularExpression length(QStringLiteral("\r\ncontent-length: *(\\d+)"),
                                                   QRegularExpression::CaseInsensitiveOption);
            const auto match = length.match(QString::fromLatin1(answer.left(end + 2)));
            if (match.hasMatch())
                whole = end + 4 + match.captured(1).toLongLong();
        }
    }
    fetched.milliseconds = double(clock.nsecsElapsed()) / 1e6;
    fetched.bytes = answer.size();
    if (answer.startsWith("HTTP/1.1 "))
        fetched.status = answer.mid(9, 3).toInt();
    return fetched;
}

} // namespace

void Scenarios::web(ScenarioKit &kit)
{
    BenchReport &report = kit.report();
    const BenchSettings &settings = kit.settings();
    const ScenarioKit::Players *players = kit.players();
    if (!players)
        return;
    report.scenario(QStringLiteral("web"),
                    QStringLiteral("tolvane --serve on the %1-player database: first, middle "
                                   "and last pages of both orders, a search, a player, JSON; "
                                   "each asked %2 times on a new connection")
                        .arg(BenchReport::count(players->count))
                        .arg(settings.runs));
    const QString folder = kit.scenarioFolder(QStringLiteral("web"));
    const ScenarioKit::RemovedAtEnd cleanup {folder};
    const QString database = folder + QStringLiteral("/Stats.db");
    if (!kit.copyDatabase(players->database, database)) {
        report.error(QStringLiteral("cannot copy the database into %1").arg(folder));
        return;
    }

    // Keys in the middle of both orders, a name to search by and a player, from the database.
    QByteArray kills;
    QByteArray search;
    QByteArray player;
    const int middle = players->count / 2;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("web"));
        db.setDatabaseName(database);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT Kills, Place FROM Stats ORDER BY Kills DESC, "
                                          "Place LIMIT 1 OFFSET %1")
                               .arg(middle))
                && query.next())
                kills = query.value(0).toByteArray() + ',' + query.value(1).toByteArray();
            if (query.exec(
                    QStringLiteral("SELECT Id, Nom FROM Players LIMIT 1 OFFSET %1").arg(middle))
                && query.next()) {
                player = query.value(0).toByteArray();
                search = QUrl::toPercentEncoding(query.value(1).toString().left(3));
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("web"));
    if (kills.isEmpty() || player.isEmpty()) {
        report.error(QStringLiteral("cannot read keys from %1").arg(database));
        return;
    }
    const QByteArray middlePlace = QByteArray::number(middle);
    const QList<QPair<QString, QByteArray>> pages {
        {QStringLiteral("first page by places"), "/"},
        {QStringLiteral("middle page by places"), "/?after=" + middlePlace},
        {QStringLiteral("last page by places"), "/?last=1"},
        {QStringLiteral("first page by kills"), "/?by=kills"},
        {QStringLiteral("middle page by kills"), "/?by=kills&after=" + kills},
        {QStringLiteral("last page by kills"), "/?by=kills&last=1"},
        {QStringLiteral("search"), "/?q=" + search},
        {QStringLiteral("player"), "/player/" + player},
        {QStringLiteral("JSON, middle page"), "/ranking.json?after=" + middlePlace},
        // Orders without an index, once built: the first request after a change builds them.
        {QStringLiteral("first page by AWP kills"), "/?by=awp"},
        {QStringLiteral("last page by AWP kills"), "/?by=awp&last=1"},
        {QStringLiteral("first page by kills per death"), "/?by=kills_per_death"},
        {QStringLiteral("by places, at least 10 kills"), "/?min=10"},
    };

    const QString output = folder + QStringLiteral("/serve.out");
    const QString errors = folder + QStringLiteral("/serve.err");
    QProcess server;
    kit.flushToDisk();
    const QRegularExpressionMatch started = kit.startChild(
        server, {QStringLiteral("--serve"), QStringLiteral("0"), QStringLiteral("--db"), database},
        output, errors, QRegularExpression(QStringLiteral("at http://127\\.0\\.0\\.1:(\\d+)/")));
    auto stop = [&server] {
        ScenarioKit::stopChild(server);
    };
    if (!started.hasMatch()) {
        stop();
        report.error(QStringLiteral("tolvane --serve did not start"), kit.readLines(errors));
        return;
    }
    const auto port = quint16(started.captured(1).toUInt());

    // What an order by a column without an index costs, once per change of the statistics.
    {
        const double before = kit.peakMiB(server.processId());
        const Fetched built = fetch(port, "/?by=awp");
        if (built.status != 200) {
            stop();
            report.error(QStringLiteral("GET /?by=awp answered %1").arg(built.status),
                         kit.readLines(errors));
            return;
        }
        report.figure(
            QStringLiteral("the order by AWP kills, built"),
            QStringLiteral("%1 ms for the first page; the server's peak memory %2 "
                           "before, %3 after")
                .arg(built.milliseconds, 0, 'f', 1)
                .arg(BenchReport::mib(before), BenchReport::mib(kit.peakMiB(server.processId()))));
    }
    double worst = 0;
    QString worstPage;
    for (const auto &[label, target] : pages) {
        double slowest = 0;
        double fastest = 0;
        qint64 bytes = 0;
        for (int r = 0; r < settings.runs; ++r) {
            const Fetched fetched = fetch(port, target);
            if (fetched.status != 200) {
                stop();
                report.error(QStringLiteral("GET %1 answered %2")
                                 .arg(QString::fromLatin1(target))
                                 .arg(fetched.status),
                             kit.readLines(errors));
                return;
            }
            slowest = std::max(slowest, fetched.milliseconds);
            fastest = r == 0 ? fetched.milliseconds : std::min(fastest, fetched.milliseconds);
            bytes = fetched.bytes;
        }
        report.figure(label,
                      QStringLiteral("%1 to %2 ms, %3 KiB")
                          .arg(fastest, 0, 'f', 1)
                          .arg(slowest, 0, 'f', 1)
                          .arg(bytes / 1024));
        if (slowest > worst) {
            worst = slowest;
            worstPage = label;
        }
    }
    const double peak = kit.peakMiB(server.processId());
    stop();
    report.figure(QStringLiteral("slowest answer"),
                  QStringLiteral("%1 ms (%2); the server's peak memory %3")
                      .arg(worst, 0, 'f', 1)
                      .arg(worstPage, BenchReport::mib(peak)));
    report.target(QStringLiteral("every page in under 50 ms"), worst < 50);
}
