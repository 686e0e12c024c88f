// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/tests/statstestsupport.h"

#include "stats/store/datastats.h"
#include "stats/store/postgresaddress.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <algorithm>
#include <atomic>

namespace StatsTest {

QByteArray stamp(int second)
{
    return QStringLiteral("L 08/05/2013 - 20:%1:%2: ")
        .arg(second / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(second % 60, 2, 10, QLatin1Char('0'))
        .toLatin1();
}

QByteArray kill(const QByteArray &killer, const QByteArray &victim, const QByteArray &weapon)
{
    return stamp() + '"' + killer + "<2><STEAM_0:1:2><CT>\" killed \"" + victim
        + "<3><BOT><TERRORIST>\" with \"" + weapon + '"';
}

QByteArray suicide(const QByteArray &player)
{
    return stamp() + '"' + player + "<4><BOT><CT>\" committed suicide with \"world\"";
}

QByteArray triggered(const QByteArray &player, const QByteArray &event)
{
    return stamp() + '"' + player + "<5><STEAM_0:0:5><CT>\" triggered \"" + event + '"';
}

QByteArray started()
{
    return stamp() + "Log file started (file \"logs/L0805064.log\") (game \"cstrike\")";
}

QByteArray closed()
{
    return stamp(59) + "Log file closed";
}

QByteArray log(const QList<QByteArray> &lines, const QByteArray &lineEnd)
{
    QByteArray text = started() + lineEnd;
    for (const QByteArray &line : lines)
        text += line + lineEnd;
    return text + closed() + lineEnd;
}

QVariantMap row(DataStats &store, const QString &nom)
{
    QSqlQuery query(store.database());
    query.prepare(QStringLiteral("SELECT * FROM \"Stats\" WHERE \"Nom\" = ?"));
    query.addBindValue(nom);
    QVariantMap values;
    if (query.exec() && query.next()) {
        const QSqlRecord record = query.record();
        for (int c = 0; c < record.count(); ++c)
            values.insert(record.fieldName(c), query.value(c));
    }
    return values;
}

QMap<QString, QStringList> table(DataStats &store)
{
    QSqlQuery query(store.database());
    QMap<QString, QStringList> rows;
    query.exec(QStringLiteral("SELECT * FROM \"Stats\""));
    while (query.next()) {
        QStringList values;
        for (int c = 0; c < query.record().count(); ++c)
            values << query.value(c).toString();
        rows.insert(query.value(1).toString(), values);
    }
    return rows;
}

int rowCount(DataStats &store)
{
    const Result<int> rows = store.rowCount();
    return rows ? *rows : -1;
}

Result<QString> addToPlayer(DataStats &store, const QString &nom, const DataStats::Counters &delta)
{
    const QByteArray spelling = nom.toUtf8();
    QByteArray folded = DataStats::foldedName(nom).toUtf8();
    DataStats::Counts counts {};
    std::copy(delta.begin(), delta.end(), counts.begin());
    if (const Result<> added =
            store.addToPlayers({DataStats::PlayerDelta {spelling, folded, &counts}});
        !added)
        return Result<QString>::failure(added.failure());
    if (store.database().driverName() == QLatin1String("QPSQL")) {
        // A server keeps a key as its first 2000 bytes, cut between two characters, and what
        // its text cannot hold, a NUL, as U+FFFD.
        if (folded.size() > 2000) {
            qsizetype end = 2000;
            while (end > 0 && (quint8(folded[end]) & 0xC0) == 0x80)
                --end;
            folded.truncate(end);
        }
        folded.replace('\0', "\xef\xbf\xbd");
    }
    QSqlQuery query(store.database());
    query.prepare(QStringLiteral(R"(SELECT "Nom" FROM "Players" WHERE "Folded" = ?)"));
    // A null text would be bound as NULL: the empty name is a name.
    query.addBindValue(folded.isEmpty() ? QStringLiteral("") : QString::fromUtf8(folded));
    if (!query.exec() || !query.next())
        return Result<QString>::failure(QStringLiteral("cannot read the players (%1): %2")
                                            .arg(store.path(), query.lastError().text()));
    return query.value(0).toString();
}

void TestDatabases::addEngines()
{
    QTest::addColumn<QString>("engine");
    QTest::newRow("SQLite") << QStringLiteral("SQLite");
    QTest::newRow("PostgreSQL") << QStringLiteral("PostgreSQL");
}

bool TestDatabases::serverGiven()
{
    return qEnvironmentVariableIsSet("TOLVANE_TEST_POSTGRES") || qEnvironmentVariableIsSet("PGHOST")
        || qEnvironmentVariableIsSet("PGPORT");
}

const char *TestDatabases::notGiven()
{
    return "no PostgreSQL server given: set TOLVANE_TEST_POSTGRES or PGHOST (make test starts one)";
}

TestDatabases::TestDatabases(QString engine, QString folder)
    : m_onServer(engine == QLatin1String("PostgreSQL")), m_folder(std::move(folder))
{
    if (!m_onServer)
        return;
    static std::atomic<int> count {0};
    m_admin = QStringLiteral("testdatabases%1").arg(count++);
    const QString given = qEnvironmentVariable("TOLVANE_TEST_POSTGRES");
    QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_admin);
    if (given.isEmpty()) {
        // libpq finds the server, the user and the password in its own variables.
        m_prefix = QStringLiteral("postgresql:///");
        admin.setDatabaseName(qEnvironmentVariable("PGDATABASE", QStringLiteral("postgres")));
    } else {
        const Result<PostgresAddress> address = PostgresAddress::parse(given);
        if (!address) {
            m_error = address.reason();
            return;
        }
        admin.setHostName(address->host());
        admin.setPort(address->port());
        admin.setUserName(address->user());
        admin.setPassword(address->password());
        admin.setDatabaseName(address->database().isEmpty() ? QStringLiteral("postgres")
                                                            : address->database());
        admin.setConnectOptions(PostgresAddress::connectOptions(address->connectParameters()));
        // The program refuses a password on its command line: the runs the tests start find it
        // where libpq looks, in the environment they inherit.
        if (!address->password().isEmpty())
            qputenv("PGPASSWORD", address->password().toUtf8());
        const QString shown = address->withoutPassword();
        const qsizetype authority = shown.indexOf(QLatin1String("://")) + 3;
        const qsizetype end = shown.indexOf(QRegularExpression(QStringLiteral("[/?]")), authority);
        m_prefix = (end < 0 ? shown : shown.left(end)) + QLatin1Char('/');
        if (const qsizetype mark = shown.indexOf(QLatin1Char('?')); mark >= 0)
            m_suffix = shown.mid(mark);
    }
    if (!admin.open())
        m_error = admin.lastError().text();
}

TestDatabases::~TestDatabases()
{
    if (!m_onServer)
        return;
    {
        QSqlDatabase admin = QSqlDatabase::database(m_admin, false);
        QSqlQuery drop(admin);
        // Connections a test left open, a killed run's among them, go with the database.
        for (const QString &name : std::as_const(m_created))
            drop.exec(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(name));
        admin.close();
    }
    QSqlDatabase::removeDatabase(m_admin);
}

QString TestDatabases::create(const QString &name)
{
    if (!m_onServer)
        return QDir(m_folder).filePath(name + QStringLiteral(".db"));
    static std::atomic<int> count {0};
    // Test programs run side by side on one server: each database is named after its process.
    const QString database = QStringLiteral("tolvane_%1_%2_%3")
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(count++)
                                 .arg(name.toLower());
    QSqlQuery query(QSqlDatabase::database(m_admin, false));
    if (!query.exec(QStringLiteral("CREATE DATABASE \"%1\"").arg(database))) {
        m_error = m_error.isEmpty() ? query.lastError().text() : m_error;
        return {};
    }
    m_created << database;
    return m_prefix + database + m_suffix;
}

} // namespace StatsTest
