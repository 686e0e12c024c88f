// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/postgresengine.h"

#include "stats/store/mendplan.h"
#include "stats/store/postgresaddress.h"
#include "stats/store/postgreslogin.h"
#include "stats/store/statscolumns.h"
#include "stats/store/storeschema.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QSysInfo>
#include <QVariant>

#include <algorithm>
#include <utility>

namespace {

// The advisory locks of every Tolvane on the server: the first number says whose they are.
constexpr int lockFamily = 0x546f6c76;
constexpr int writerLock = 1;
constexpr int schemaLock = 2;
constexpr int rankingLock = 3;

// Players per statement: a few hundred kilobytes of text, a round trip for thousands of rows.
constexpr std::size_t chunkSize = 4000;
// Up to this many players, the sums a run kept are written with the places in one statement of
// a few megabytes; more go a chunk at a time, and the places after them.
constexpr qsizetype rankedWithCounts = 100000;

/**
 * An array of the server's text form, "{1,2}" or "{"a","b\"c"}", which one parameter carries:
 * many rows to a statement, with no value ever spliced into its text.
 */
class ArrayText
{
public:
    void number(qint64 value)
    {
        separate();
        m_text += QByteArray::number(value);
    }
    void text(QByteArrayView bytes)
    {
        separate();
        m_text += '"';
        for (const char c : bytes) {
            // The server's text cannot hold a NUL: the character that stands for one that
            // cannot be shown takes its place, the same for the name and its key.
            if (c == '\0') {
                m_text += "\xef\xbf\xbd";
                continue;
            }
            if (c == '"' || c == '\\')
                m_text += '\\';
            m_text += c;
        }
        m_text += '"';
    }
    QString finish() const { return QString::fromUtf8(m_text + '}'); }

private:
    void separate()
    {
        if (m_text.size() > 1)
            m_text += ',';
    }
    QByteArray m_text = "{";
};

// The server's indexes take entries of at most a third of a page: a longer name, which only a
// forged log line can hold (the game's own are 31 bytes at most), would make every update fail
// on its file for ever. It is kept as its first bytes, cut between two characters.
constexpr qsizetype longestName = 2000;

QByteArrayView indexable(QByteArrayView name)
{
    if (name.size() <= longestName)
        return name;
    qsizetype end = longestName;
    while (end > 0 && (quint8(name[end]) & 0xC0) == 0x80)
        --end;
    return name.first(end);
}

/// Runs \a query, which adds the counts of \a columns to the players keyed by \a folded (with
/// whatever else it writes).
bool addCountsOf(QSqlQuery &query, const ArrayText &folded, const std::vector<ArrayText> &columns)
{
    query.addBindValue(folded.finish());
    for (const ArrayText &column : columns)
        query.addBindValue(column.finish());
    return query.exec();
}

QString lockCall(const char *function, int lock)
{
    return QStringLiteral("SELECT %1(%2, %3)")
        .arg(QLatin1String(function))
        .arg(lockFamily)
        .arg(lock);
}

/// \a pattern for 0, 1, 2... up to \a count, separated by commas: "c%1" gives "c0, c1, c2".
QString numbered(const char *pattern, int count = StatsColumns::CounterCount)
{
    QStringList items;
    for (int i = 0; i < count; ++i)
        items << QString::fromLatin1(pattern).arg(i);
    return items.join(u", ");
}

/// "?::text[], ?::integer[], ...": the folded names of many players and each of their
/// counters, an array each.
QString countArrays()
{
    return QStringLiteral("?::text[], ")
        + QStringList(StatsColumns::CounterCount, QStringLiteral("?::integer[]")).join(u", ");
}

/// Those arrays as rows, a player each: "unnest(...) AS <alias>(f, c0, c1, ...)".
QString countRows(const char *alias)
{
    return QStringLiteral("unnest(%1) AS %2(f, %3)")
        .arg(countArrays(), QLatin1String(alias), numbered("c%1"));
}

} // namespace

PostgresEngine::PostgresEngine(QString connectionName, const QString &shown)
    : StoreEngine(std::move(connectionName), shown)
{ }

PostgresEngine::~PostgresEngine()
{
    for (auto *query : {&m_insertKeys, &m_addCounts, &m_putAside})
        query->reset();
    unlockWriter();
}

const StoreEngine::Dialect &PostgresEngine::dialect() const
{
    // Table Stats has no row id of its own: its names are unique, and a row is its name.
    static const Dialect postgres {
        true,
        QStringLiteral("1"),
        QStringLiteral(R"("Nom")"),
        QStringLiteral("ctid"),
        QStringLiteral(R"( JOIN "Players" AS p ON p."Nom" = s."Nom" WHERE p."Id" >= %1 AND )"
                       R"(p."Id" < %2)"),
        QStringLiteral(R"(SELECT COALESCE(MAX("Id"), 0) + 1 FROM "Players")"),
        QString(),
        // What a busy timeout is to SQLite, a lock timeout is here: how long a statement waits
        // for the locks of another transaction.
        QStringLiteral(
            "SELECT EXTRACT(EPOCH FROM current_setting('lock_timeout')::interval) * 1000"),
        QStringLiteral("SET lock_timeout = %1"),
    };
    return postgres;
}

Result<> PostgresEngine::open(const QString &location, DataStats::Access access, const QString &)
{
    const QString cannotOpen = QStringLiteral("cannot open the database");
    const Result<PostgresAddress> parsed = PostgresAddress::parse(location);
    if (!parsed)
        return fail(cannotOpen, parsed.reason());
    const PostgresAddress &address = *parsed;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return fail(cannotOpen,
                    QStringLiteral("the Qt PostgreSQL driver is not installed "
                                   "(Debian package libqt6sql6-psql)"));
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
    db.setHostName(address.host());
    db.setPort(address.port());
    db.setUserName(address.user());
    db.setPassword(address.password());
    db.setDatabaseName(address.database());
    QList<std::pair<QString, QString>> parameters = address.connectParameters();
    // Whoever holds the writer lock is named by this in the message of a run that waits.
    const bool named = std::any_of(address.parameters().cbegin(), address.parameters().cend(),
                                   [](const auto &p) { return p.first == "application_name"; });
    if (!named)
        parameters.append({QStringLiteral("application_name"),
                           QStringLiteral("tolvane/%1@%2")
                               .arg(QCoreApplication::applicationPid())
                               .arg(QSysInfo::machineHostName().left(40))});
    db.setConnectOptions(PostgresAddress::connectOptions(parameters));
    // Each reason of its own: the remedies differ.
    const PostgresLogin::Answer login = PostgresLogin::tryLogin(address, parameters);
    switch (login.outcome) {
    case PostgresLogin::Outcome::Connected:
        break;
    case PostgresLogin::Outcome::Unreachable:
        return fail(cannotOpen,
                    QStringLiteral("cannot reach the PostgreSQL server at %1: %2")
                        .arg(address.describe(), login.message),
                    ::Failure::Kind::Unreachable);
    case PostgresLogin::Outcome::LoginRefused:
        return fail(cannotOpen,
                    QStringLiteral("login refused by the PostgreSQL server at %1 for the user %2: "
                                   "%3; give the password in ~/.pgpass "
                                   "(host:port:database:user:password, mode 600) or in "
                                   "PGPASSWORD")
                        .arg(address.describe(), address.describeUser(), login.message),
                    ::Failure::Kind::LoginRefused);
    case PostgresLogin::Outcome::NoDatabase:
        return fail(cannotOpen,
                    QStringLiteral("no such database on the PostgreSQL server at %1: %2; create "
                                   "it (createdb --owner USER NAME) or name another")
                        .arg(address.describe(), login.message),
                    ::Failure::Kind::Unreachable);
    case PostgresLogin::Outcome::Refused:
        return fail(cannotOpen,
                    QStringLiteral("the PostgreSQL server at %1 refused to connect: %2")
                        .arg(address.describe(), login.message));
    }
    if (!db.open()) {
        const QSqlError error = db.lastError();
        return fail(cannotOpen,
                    QStringLiteral("cannot connect to the PostgreSQL server at %1: %2")
                        .arg(address.describe(), error.databaseText().simplified()),
                    kindOf(error.nativeErrorCode()));
    }
    PostgresLogin::silenceNotices(db);
    QSqlQuery query(db);
    if (access == DataStats::Access::ReadOnly) {
        // Reading must never leave a trace in a database nobody asked to change.
        QStringList present;
        for (const QString &source : StoreSchema::rankingSources())
            present << QStringLiteral("to_regclass('\"%1\"') IS NOT NULL").arg(source);
        if (!query.exec(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"))
            || !query.exec(QStringLiteral("SELECT %1").arg(present.join(u" AND ")))
            || !query.next()) {
            const Failure failure = fail(cannotOpen, query);
            db.close();
            return failure;
        }
        if (!query.value(0).toBool()) {
            db.close();
            return fail(cannotOpen,
                        QStringLiteral("it does not exist yet: no table Stats on %1")
                            .arg(address.describe()),
                        ::Failure::Kind::Unreachable);
        }
        return {};
    }
    if (const Result<> schema = createSchema(); !schema) {
        db.close();
        return schema;
    }
    return {};
}

Result<> PostgresEngine::createSchema()
{
    const QString what = QStringLiteral("cannot create the tables");
    const std::vector<StoreSchema::Object> objects =
        StoreSchema::objects(StoreSchema::Engine::Postgres);
    // Machines that start at once would each find no table and collide creating one, which IF
    // NOT EXISTS alone does not prevent: they take their turn instead.
    QStringList statements = {lockCall("pg_advisory_xact_lock", schemaLock)};
    QStringList present;
    for (const StoreSchema::Object &object : objects) {
        present << QStringLiteral("(to_regclass('\"%1\"') IS NOT NULL)::int").arg(object.name);
        statements << object.statement;
    }
    const QString complete = QStringLiteral("SELECT %1").arg(present.join(u" + "));
    // Opening a database that has its schema writes nothing.
    QSqlQuery query(database());
    if (!query.exec(complete) || !query.next())
        return fail(what, query);
    if (query.value(0).toInt() == int(objects.size()))
        return {};

    if (const Result<> begun = beginTransaction(); !begun)
        return begun;
    for (const QString &statement : statements) {
        if (!query.exec(statement)) {
            const Failure failure = fail(what, query);
            rollback();
            return failure;
        }
    }
    return commit();
}

Result<bool> PostgresEngine::tryLockWriter()
{
    if (m_writerLocked)
        return true;
    QSqlQuery query(database());
    if (!query.exec(lockCall("pg_try_advisory_lock", writerLock)) || !query.next())
        return Result<bool>::failure(query.lastError().text());
    m_writerLocked = query.value(0).toBool();
    return m_writerLocked;
}

StoreEngine::Holder PostgresEngine::writerLockHolder()
{
    const Holder unknown {0, QStringLiteral("another program")};
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral(
                        "SELECT a.application_name FROM pg_locks AS l JOIN pg_stat_activity AS a "
                        "ON a.pid = l.pid WHERE l.locktype = 'advisory' AND l.granted AND "
                        "l.classid = %1 AND l.objid = %2 AND l.objsubid = 2")
                        .arg(lockFamily)
                        .arg(writerLock))
        || !query.next())
        return unknown;
    static const QRegularExpression ours(QStringLiteral("^tolvane/(\\d+)@(.*)$"));
    const QString name = query.value(0).toString();
    const QRegularExpressionMatch match = ours.match(name);
    if (match.hasMatch())
        return {match.captured(1).toLongLong(),
                QStringLiteral("process %1 on %2").arg(match.captured(1), match.captured(2))};
    return name.isEmpty() ? unknown : Holder {0, QStringLiteral("the program %1").arg(name)};
}

void PostgresEngine::unlockWriter()
{
    // Another writer may mend the keys away once the lock is free.
    forgetAside();
    if (!m_writerLocked)
        return;
    m_writerLocked = false;
    // On a connection that is gone the server has released the lock already.
    if (database().isOpen())
        QSqlQuery(database()).exec(lockCall("pg_advisory_unlock", writerLock));
}

Result<> PostgresEngine::mendKeys(const MendPlan &plan, const QStringList &noms)
{
    ArrayText gone;
    for (const qint64 key : plan.goneKeys)
        gone.number(key);
    ArrayText folded;
    ArrayText unkeyed;
    for (const std::size_t row : plan.newKeys) {
        folded.text(noms[qsizetype(row)].toCaseFolded().toUtf8());
        unkeyed.text(noms[qsizetype(row)].toUtf8());
    }
    const QString what = QStringLiteral("cannot mend the players");
    QSqlQuery query(database());
    if (!query.prepare(QStringLiteral("DELETE FROM \"Players\" WHERE \"Id\" = ANY (?::bigint[])")))
        return fail(what, query);
    query.addBindValue(gone.finish());
    if (!query.exec())
        return fail(what, query);
    if (!query.prepare(QStringLiteral(
            "INSERT INTO \"Players\" (\"Folded\", \"Nom\") SELECT f, n FROM unnest(?::text[], "
            "?::text[]) WITH ORDINALITY AS d(f, n, o) ORDER BY o")))
        return fail(what, query);
    query.addBindValue(folded.finish());
    query.addBindValue(unkeyed.finish());
    if (!query.exec())
        return fail(what, query);
    return {};
}

Result<> PostgresEngine::beginTransaction()
{
    QSqlDatabase db = database();
    if (!db.transaction())
        return fail(QStringLiteral("cannot start a transaction"), db.lastError());
    return {};
}

Result<> PostgresEngine::commit()
{
    // The driver's commit says so when the server rolled back instead, as it does for a
    // transaction in which a statement failed.
    QSqlDatabase db = database();
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        rollback();
        return fail(QStringLiteral("cannot commit"), error);
    }
    return {};
}

void PostgresEngine::forgetAside()
{
    m_aside.clear();
    m_asideRows = 0;
    m_keyed.clear();
}

void PostgresEngine::rollback()
{
    forgetAside();
    // A connection the server ended has nothing to roll back, and the driver would say so on
    // the terminal.
    if (QSqlDatabase db = database(); db.isOpen())
        db.rollback();
}

Result<QSqlQuery *> PostgresEngine::prepared(std::optional<QSqlQuery> &query, const QString &text)
{
    if (!query) {
        query.emplace(database());
        if (!query->prepare(text)) {
            const Failure failure = fail(QStringLiteral("cannot prepare a statement"), *query);
            query.reset();
            return failure;
        }
    }
    return &*query;
}

Result<> PostgresEngine::addToPlayers(const std::vector<DataStats::PlayerDelta> &players,
                                      bool rankingFollows)
{
    for (std::size_t from = 0; from < players.size(); from += chunkSize) {
        if (const Result<> added =
                addChunk(players, from, std::min(players.size(), from + chunkSize), rankingFollows);
            !added)
            return added;
    }
    return {};
}

QString PostgresEngine::addCountsFrom(const QString &source)
{
    const QStringList counters = StatsColumns::quotedCounters();
    QStringList sums;
    for (const QString &counter : counters)
        sums << QStringLiteral("%1 = \"Stats\".%1 + EXCLUDED.%1").arg(counter);
    return QStringLiteral(
               "INSERT INTO \"Stats\" (\"Nom\", \"Place\", %1) SELECT p.\"Nom\", 0, %2 "
               "FROM %3 JOIN \"Players\" AS p ON p.\"Folded\" = d.f ORDER BY p.\"Nom\" ON "
               "CONFLICT (\"Nom\") DO UPDATE SET %4")
        .arg(counters.join(u", "), numbered("d.c%1"), source, sums.join(u", "));
}

Result<> PostgresEngine::addChunk(const std::vector<DataStats::PlayerDelta> &players,
                                  std::size_t from, std::size_t to, bool rankingFollows)
{
    // Only keys not there yet are inserted, so that the key ids, which the window pages the
    // table by, run without gaps; one a racing machine inserted meanwhile is simply kept.
    const Result<QSqlQuery *> insertKeys = prepared(
        m_insertKeys,
        QStringLiteral("INSERT INTO \"Players\" (\"Folded\", \"Nom\") SELECT d.f, d.n FROM "
                       "unnest(?::text[], ?::text[]) WITH ORDINALITY AS d(f, n, o) WHERE NOT "
                       "EXISTS (SELECT 1 FROM \"Players\" AS p WHERE p.\"Folded\" = d.f) "
                       "ORDER BY d.o ON CONFLICT (\"Folded\") DO NOTHING"));
    // A statement of its own: it sees the keys of the one before, and those another machine
    // committed meanwhile. A key whose row someone removed gets its row back.
    const Result<QSqlQuery *> addCounts = m_countsWait
        ? prepared(m_putAside,
                   QStringLiteral("INSERT INTO \"PendingCounts\" (\"Folded\", %1) VALUES (%2)")
                       .arg(StatsColumns::quotedCounters().join(u", "), countArrays()))
        : prepared(m_addCounts, addCountsFrom(countRows("d")));
    if (!insertKeys)
        return passOn(insertKeys);
    if (!addCounts)
        return passOn(addCounts);

    ArrayText folded;
    ArrayText newFolded;
    ArrayText noms;
    qsizetype unknown = 0;
    std::vector<ArrayText> columns(static_cast<std::size_t>(StatsColumns::CounterCount));
    for (std::size_t p = from; p < to; ++p) {
        const DataStats::PlayerDelta &player = players[p];
        const QByteArrayView key = indexable(player.folded);
        folded.text(key);
        for (std::size_t c = 0; c < columns.size(); ++c)
            columns[c].number((*player.delta)[c]);
        if (m_countsWait) {
            // Runs of many logs meet the same players in each: their keys are sent once.
            const QByteArray held = key.toByteArray();
            DataStats::Counters &sums = m_aside[held];
            for (std::size_t c = 0; c < sums.size(); ++c)
                sums[c] += (*player.delta)[c];
            if (m_keyed.contains(held))
                continue;
            m_keyed.insert(held);
        }
        newFolded.text(key);
        noms.text(indexable(player.nom));
        ++unknown;
    }
    if (unknown > 0) {
        QSqlQuery &keys = **insertKeys;
        keys.addBindValue(newFolded.finish());
        keys.addBindValue(noms.finish());
        if (!keys.exec())
            return fail(QStringLiteral("cannot add a player"), keys);
    }
    // The ranking pass of this transaction writes the sums kept here: nothing waits in a table.
    if (m_countsWait && rankingFollows)
        return {};
    if (m_countsWait)
        ++m_asideRows;
    if (!addCountsOf(**addCounts, folded, columns))
        return fail(QStringLiteral("cannot update a player"), **addCounts);
    return {};
}

Result<> PostgresEngine::forEachPair(const QString &what, const QString &query,
                                     const std::function<void(qint64, qint64)> &f)
{
    QSqlQuery rows(database());
    rows.setForwardOnly(true);
    if (!rows.exec(query))
        return fail(what, rows);
    while (rows.next())
        f(rows.value(0).toLongLong(), rows.value(1).toLongLong());
    if (rows.lastError().isValid())
        return fail(what, rows);
    return {};
}

Result<> PostgresEngine::settleCounts()
{
    QSqlQuery query(database());
    // The sums this connection kept of what it put aside are written as they are when they are
    // all there is, which spares the server adding up every log's rows again: only by the run
    // that kept them, in the transaction of its ranking, so that the emptying of the table and
    // the sums commit together.
    if (m_countsWait && !m_aside.isEmpty()) {
        if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM \"PendingCounts\"")) || !query.next())
            return fail(QStringLiteral("cannot update a player"), query);
        if (query.value(0).toLongLong() == m_asideRows)
            return writeAside();
    }
    forgetAside();
    // Sums per player, so that each row is written once. The rows taken are those this
    // statement deletes: another connection settling at the same time never adds them again.
    if (!query.exec(
            QStringLiteral("WITH q AS (DELETE FROM \"PendingCounts\" RETURNING *) ")
            + addCountsFrom(QStringLiteral("(SELECT u.f, %1 FROM q CROSS JOIN LATERAL "
                                           "unnest(q.\"Folded\", %2) AS u(f, %3) GROUP "
                                           "BY u.f) AS d")
                                .arg(numbered("SUM(u.c%1)::integer AS c%1"),
                                     StatsColumns::quotedCounters(QStringLiteral("q.")).join(u", "),
                                     numbered("c%1")))))
        return fail(QStringLiteral("cannot update a player"), query);
    return {};
}

Result<> PostgresEngine::writeAside()
{
    const QHash<QByteArray, DataStats::Counters> aside = std::exchange(m_aside, {});
    m_asideRows = 0;
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("DELETE FROM \"PendingCounts\"")))
        return fail(QStringLiteral("cannot update a player"), query);
    if (aside.size() <= rankedWithCounts)
        return writeRanked(aside);
    const Result<QSqlQuery *> addCounts = prepared(m_addCounts, addCountsFrom(countRows("d")));
    if (!addCounts)
        return passOn(addCounts);
    for (auto it = aside.cbegin(); it != aside.cend();) {
        ArrayText folded;
        std::vector<ArrayText> columns(static_cast<std::size_t>(StatsColumns::CounterCount));
        for (std::size_t n = 0; n < chunkSize && it != aside.cend(); ++n, ++it) {
            folded.text(it.key());
            for (std::size_t c = 0; c < columns.size(); ++c)
                columns[c].number(it.value()[c]);
        }
        if (!addCountsOf(**addCounts, folded, columns))
            return fail(QStringLiteral("cannot update a player"), **addCounts);
    }
    return {};
}

Result<> PostgresEngine::writeRanked(const QHash<QByteArray, DataStats::Counters> &aside)
{
    const QString what = QStringLiteral("cannot update a player");
    QSqlQuery query(database());
    if (!query.exec(lockCall("pg_advisory_xact_lock", rankingLock)))
        return fail(what, query);
    const QStringList counters = StatsColumns::quotedCounters();
    const int total = StatsColumns::TotalClass - StatsColumns::FirstCounter;
    QStringList sums;
    for (int i = 0; i < counters.size(); ++i)
        sums << QStringLiteral("%1 = s.%1 + COALESCE(d.c%2, 0)").arg(counters[i]).arg(i);
    // The places are those of the counts about to be stored, so that a player's row is written
    // once, counts and place together; new players' rows come in with theirs.
    if (!query.prepare(
            QStringLiteral(
                "WITH d AS (SELECT p.\"Nom\" AS nom, %1 FROM %2 "
                "JOIN \"Players\" AS p ON p.\"Folded\" = a.f), t AS (SELECT COALESCE(s.\"Nom\", "
                "d.nom) AS nom, COALESCE(s.\"TotalClass\", 0) + COALESCE(d.c%3, 0) AS total FROM "
                "\"Stats\" AS s FULL JOIN d ON d.nom = s.\"Nom\"), r AS (SELECT nom, row_number() "
                "OVER (ORDER BY total DESC, nom) AS place FROM t), n AS (INSERT INTO \"Stats\" "
                "(\"Nom\", \"Place\", %4) SELECT d.nom, r.place, %5 FROM d JOIN r ON r.nom = d.nom "
                "WHERE NOT EXISTS (SELECT 1 FROM \"Stats\" AS s WHERE s.\"Nom\" = d.nom) ORDER BY "
                "d.nom) UPDATE \"Stats\" AS s SET \"Place\" = r.place, %6 FROM r LEFT JOIN d ON "
                "d.nom = r.nom WHERE s.\"Nom\" = r.nom AND (s.\"Place\" <> r.place OR d.nom IS NOT "
                "NULL)")
                .arg(numbered("c%1"), countRows("a"))
                .arg(total)
                .arg(counters.join(u", "), numbered("d.c%1"), sums.join(u", "))))
        return fail(what, query);
    ArrayText folded;
    std::vector<ArrayText> columns(static_cast<std::size_t>(StatsColumns::CounterCount));
    for (auto it = aside.cbegin(); it != aside.cend(); ++it) {
        folded.text(it.key());
        for (std::size_t c = 0; c < columns.size(); ++c)
            columns[c].number(it.value()[c]);
    }
    if (!addCountsOf(query, folded, columns))
        return fail(what, query);
    m_placed = true;
    return {};
}

Result<> PostgresEngine::rankPlayers()
{
    const QString what = QStringLiteral("cannot rank the players");
    QSqlQuery query(database());
    // Held to the end of the caller's transaction: two rankings never interleave their places.
    if (!query.exec(lockCall("pg_advisory_xact_lock", rankingLock)))
        return fail(what, query);
    m_placed = false;
    if (const Result<> settled = settleCounts(); !settled)
        return settled;
    if (m_placed)
        return {};
    // Numbered where the rows are: no row travels to this machine and back, and only the rows
    // whose place changes are written.
    if (!query.exec(QStringLiteral(
            R"(UPDATE "Stats" AS s SET "Place" = r.place FROM (SELECT "Nom", row_number() OVER )"
            R"((ORDER BY "TotalClass" DESC, "Nom") AS place FROM "Stats") AS r WHERE )"
            R"(s."Nom" = r."Nom" AND s."Place" <> r.place)")))
        return fail(what, query);
    return {};
}

Result<DataStats::CopySummary>
PostgresEngine::copyFrom(QSqlDatabase source, const QString &sourceHost, const QString &host)
{
    if (const Result<> begun = beginTransaction(); !begun)
        return passOn(begun);
    const Result<DataStats::CopySummary> copied = copyRows(source, sourceHost, host);
    if (!copied) {
        rollback();
        return copied;
    }
    if (const Result<> committed = commit(); !committed)
        return passOn(committed);
    return copied;
}

Result<DataStats::CopySummary>
PostgresEngine::copyRows(QSqlDatabase source, const QString &sourceHost, const QString &host)
{
    const QString what = QStringLiteral("cannot copy the statistics");
    QSqlQuery target(database());
    QStringList counts;
    for (const QString &table : StoreSchema::countedTables(StoreSchema::Engine::Postgres))
        counts << QStringLiteral("(SELECT COUNT(*) FROM \"%1\")").arg(table);
    if (!target.exec(QStringLiteral("SELECT %1").arg(counts.join(u" + "))) || !target.next())
        return fail(what, target);
    if (target.value(0).toLongLong() != 0)
        return fail(what,
                    QStringLiteral("it already holds statistics; copy only into a database "
                                   "that holds none"));

    DataStats::CopySummary summary;
    QSqlQuery read(source);
    read.setForwardOnly(true);
    auto readFailed = [&] {
        return fail(what,
                    QStringLiteral("%1: %2").arg(source.databaseName(), read.lastError().text()));
    };
    // Rows a chunk at a time: the source is read once, whatever its size.
    auto copy = [&](const QString &select, int columns, const QString &insert, auto addRow,
                    qint64 &copied) -> Result<> {
        if (!read.exec(select))
            return readFailed();
        QSqlQuery write(database());
        if (!write.prepare(insert))
            return fail(what, write);
        std::vector<ArrayText> arrays(std::size_t(columns), ArrayText {});
        std::size_t rows = 0;
        auto flush = [&]() -> Result<> {
            for (const ArrayText &array : arrays)
                write.addBindValue(array.finish());
            if (!write.exec())
                return fail(what, write);
            arrays.assign(std::size_t(columns), ArrayText {});
            rows = 0;
            return {};
        };
        while (read.next()) {
            addRow(arrays);
            ++copied;
            if (++rows == chunkSize) {
                if (const Result<> flushed = flush(); !flushed)
                    return flushed;
            }
        }
        if (read.lastError().isValid())
            return readFailed();
        return rows > 0 ? flush() : Result<> {};
    };

    QStringList all;
    QStringList arrays;
    for (int c = 0; c < StatsColumns::Count; ++c) {
        all << StatsColumns::quoted(c);
        arrays << (c == StatsColumns::Nom ? QStringLiteral("?::text[]")
                                          : QStringLiteral("?::integer[]"));
    }
    if (const Result<> rows = copy(
            QStringLiteral("SELECT %1 FROM \"Stats\"").arg(all.join(u", ")), StatsColumns::Count,
            QStringLiteral("INSERT INTO \"Stats\" (%1) SELECT * FROM unnest(%2) AS d(%3)")
                .arg(all.join(u", "), arrays.join(u", "), numbered("c%1", StatsColumns::Count)),
            [&read](std::vector<ArrayText> &out) {
                for (int c = 0; c < StatsColumns::Count; ++c) {
                    if (c == StatsColumns::Nom)
                        out[std::size_t(c)].text(read.value(c).toString().toUtf8());
                    else
                        out[std::size_t(c)].number(read.value(c).toLongLong());
                }
            },
            summary.rows);
        !rows)
        return passOn(rows);

    // A database from before the key table or the machines' records has rows only: the keys are
    // made by the mend of the next update, the progress counted as this machine's.
    const QStringList sourceTables = source.tables();
    if (sourceTables.contains(QStringLiteral("Players"), Qt::CaseInsensitive)) {
        if (const Result<> keys = copy(
                QStringLiteral("SELECT \"Id\", \"Folded\", \"Nom\" FROM \"Players\""), 3,
                QStringLiteral("INSERT INTO \"Players\" (\"Id\", \"Folded\", \"Nom\") SELECT * "
                               "FROM unnest(?::bigint[], ?::text[], ?::text[])"),
                [&read](std::vector<ArrayText> &out) {
                    out[0].number(read.value(0).toLongLong());
                    out[1].text(read.value(1).toString().toUtf8());
                    out[2].text(read.value(2).toString().toUtf8());
                },
                summary.keys);
            !keys)
            return passOn(keys);
        // New keys go on after the highest copied.
        if (!target.exec(
                QStringLiteral("SELECT setval(pg_get_serial_sequence('\"Players\"', 'Id'), "
                               "COALESCE(MAX(\"Id\"), 0) + 1, false) FROM \"Players\"")))
            return fail(what, target);
    }
    if (sourceTables.contains(QStringLiteral("LogProgress"), Qt::CaseInsensitive)) {
        const bool hosted =
            source.record(QStringLiteral("LogProgress")).contains(QStringLiteral("Host"));
        if (hosted) {
            if (!read.exec(QStringLiteral(
                    "SELECT DISTINCT \"Host\" FROM \"LogProgress\" ORDER BY \"Host\"")))
                return readFailed();
            while (read.next())
                summary.recordedUnder << read.value(0).toString();
        } else {
            summary.recordedUnder << sourceHost;
        }
        // A host given holds for the copy as for every run: the records are the machine's that
        // counts as it from now on. One file under two hosts would then be two logs in one.
        if (!host.isEmpty() && hosted) {
            if (!read.exec(QStringLiteral("SELECT \"File\" FROM \"LogProgress\" GROUP BY "
                                          "\"File\" HAVING COUNT(*) > 1 LIMIT 1")))
                return readFailed();
            if (read.next())
                return fail(what,
                            QStringLiteral("%1 holds the progress of %2 under several hosts (%3): "
                                           "which of them is the host %4 cannot be told")
                                .arg(source.databaseName(), read.value(0).toString(),
                                     summary.recordedUnder.join(QLatin1String(", ")), host));
        }
        summary.storedUnder = host.isEmpty() ? summary.recordedUnder : QStringList {host};
        QSqlField field(QStringLiteral("Host"), QMetaType(QMetaType::QString));
        field.setValue(host.isEmpty() ? sourceHost : host);
        const QString given = source.driver()->formatValue(field);
        const QString hostColumn = hosted && host.isEmpty() ? QStringLiteral("\"Host\"") : given;
        if (const Result<> progress = copy(
                QStringLiteral("SELECT %1, \"File\", \"ByteOffset\", hex(\"HeadDigest\"), "
                               "\"HeadLength\" FROM \"LogProgress\"")
                    .arg(hostColumn),
                5,
                QStringLiteral("INSERT INTO \"LogProgress\" (\"Host\", \"File\", \"ByteOffset\", "
                               "\"HeadDigest\", \"HeadLength\") SELECT h, f, b, decode(d, 'hex'), "
                               "l FROM unnest(?::text[], ?::text[], ?::bigint[], ?::text[], "
                               "?::bigint[]) AS r(h, f, b, d, l)"),
                [&read](std::vector<ArrayText> &out) {
                    out[0].text(read.value(0).toString().toUtf8());
                    out[1].text(read.value(1).toString().toUtf8());
                    out[2].number(read.value(2).toLongLong());
                    out[3].text(read.value(3).toString().toUtf8());
                    out[4].number(read.value(4).toLongLong());
                },
                summary.progress);
            !progress)
            return passOn(progress);
    }
    return summary;
}
