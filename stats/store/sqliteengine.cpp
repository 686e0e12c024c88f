// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/sqliteengine.h"

#include "platform/files/exclusivelock.h"
#include "stats/store/mendplan.h"
#include "stats/store/sqlitestatement.h"
#include "stats/store/statscolumns.h"
#include "stats/store/storeschema.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>

using StoreSchema::Engine;
using StoreSchema::nomIndex;

SqliteEngine::SqliteEngine(QString connectionName, const QString &shown)
    : StoreEngine(std::move(connectionName), shown)
{ }

SqliteEngine::~SqliteEngine()
{
    m_insertKey.reset();
    m_findKey.reset();
    m_addToRow.reset();
    m_insertRow.reset();
    m_setPlace.reset();
    unlockWriter();
}

const StoreEngine::Dialect &SqliteEngine::dialect() const
{
    static const Dialect sqlite {
        false,
        QStringLiteral("(SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name = '%1')")
            .arg(nomIndex),
        QStringLiteral("rowid"),
        QStringLiteral("rowid"),
        QStringLiteral(" WHERE s.rowid >= %1 AND s.rowid < %2"),
        QStringLiteral("SELECT COALESCE(MAX(rowid), 0) + 1 FROM Stats"),
        QStringLiteral("PRAGMA data_version"),
        QStringLiteral("PRAGMA busy_timeout"),
        QStringLiteral("PRAGMA busy_timeout = %1"),
    };
    return sqlite;
}

Result<> SqliteEngine::open(const QString &path, DataStats::Access access, const QString &host)
{
    m_path = path;
    m_host = host;
    const QString cannotOpen = QStringLiteral("cannot open the database");
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return fail(cannotOpen, QStringLiteral("the Qt SQLite driver is not installed"));
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return fail(cannotOpen, QStringLiteral("not a file"));
    if (access == DataStats::Access::ReadOnly) {
        // Opening must never leave behind a database nobody asked for.
        if (!info.exists())
            return fail(cannotOpen, QStringLiteral("it does not exist"),
                        ::Failure::Kind::Unreachable);
    } else if (!QDir().mkpath(info.absolutePath())) {
        return fail(cannotOpen,
                    QStringLiteral("cannot create the folder %1").arg(info.absolutePath()));
    }

    if (QSqlDatabase::contains(m_connectionName)
        && QSqlDatabase::database(m_connectionName, false).driverName() != QLatin1String("QSQLITE"))
        QSqlDatabase::removeDatabase(m_connectionName);
    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
        ? QSqlDatabase::database(m_connectionName, false)
        : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(access == DataStats::Access::ReadOnly
                             ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000;QSQLITE_OPEN_READONLY")
                             : QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
    if (!db.open())
        return fail(cannotOpen, db.lastError());
    if (access == DataStats::Access::ReadOnly) {
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))) {
            const QSqlError error = probe.lastError();
            db.close();
            return fail(cannotOpen, readOnlyReason(error.text()), kindOf(error.nativeErrorCode()));
        }
        // A reader that stays open, as the web pages' does, finds the pages it read last time
        // in its cache while nobody writes.
        probe.finish();
        probe.exec(QStringLiteral("PRAGMA cache_size = -16384"));
        return {};
    }
    // A reader that may not write into the folder (a web server's account, a read-only mount)
    // can read a database in write-ahead logging only where its -wal and -shm files exist:
    // they are kept when the last connection closes, emptied, rather than deleted.
    if (sqlite3 *connection = handle()) {
        int persist = 1;
        sqlite3_file_control(connection, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
    }
    // Pages of 8 KiB for a new database: a first import of many players splits half as many.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA page_size = 8192"));
    // A count of many players touches tens of megabytes of table and indexes: with SQLite's
    // default two megabytes of cache they would be read and written back over and over. Sixteen
    // keep an update of a large database well under a hundred megabytes of memory.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA cache_size = -16384"));
    // Write-ahead logging: readers (the web pages, the window) go on reading while an update
    // writes, and never wait for it. Full syncs keep every commit on disk once it returns, as
    // the counting of each event exactly once needs. The mode stays with the file; a database
    // another program keeps open at this moment goes over to it at a later opening.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous = FULL"));
    // A large import leaves a log as large as itself; it is cut back after each checkpoint.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_size_limit = 67108864"));
    if (const Result<> schema = createSchema(); !schema) {
        db.close();
        return schema;
    }
    return {};
}

QString SqliteEngine::readOnlyReason(const QString &reason) const
{
    // Without the files the writers keep beside the database, a reader would have to make them.
    const QFileInfo info(m_path);
    const QStringList missing = [&info] {
        QStringList names;
        for (const char *ending : {"-wal", "-shm"}) {
            if (!QFileInfo::exists(info.filePath() + QLatin1String(ending)))
                names << info.fileName() + QLatin1String(ending);
        }
        return names;
    }();
    if (missing.isEmpty() || QFileInfo(info.absolutePath()).isWritable())
        return reason;
    return QStringLiteral("%1; the folder %2 cannot be written, and a reader that may not write "
                          "needs %3 beside the database: the next update leaves them in place")
        .arg(reason, QDir::toNativeSeparators(info.absolutePath()),
             missing.join(QLatin1String(" and ")));
}

Result<> SqliteEngine::createSchema()
{
    // The index on Nom waits for the mend of rows whose names fold alike.
    QStringList statements;
    QStringList names;
    for (const StoreSchema::Object &object : StoreSchema::objects(Engine::Sqlite)) {
        if (object.name == nomIndex)
            continue;
        statements << object.statement;
        names << QLatin1Char('\'') + object.name + QLatin1Char('\'');
    }
    // Opening an existing database writes nothing: a commit costs a sync of the disk.
    const QString complete =
        QStringLiteral("SELECT (SELECT COUNT(*) FROM sqlite_master WHERE name IN (%1)) "
                       "+ (SELECT COUNT(*) FROM pragma_table_info('LogProgress') WHERE name = "
                       "'Host')")
            .arg(names.join(u", "));
    QSqlQuery existing(database());
    if (existing.exec(complete) && existing.next()
        && existing.value(0).toInt() == statements.size() + 1)
        return {};
    existing.finish();
    // Several programs may create the schema at once: one transaction each, one at a time.
    if (const Result<> begun = beginTransaction(); !begun)
        return begun;
    QSqlQuery query(database());
    // A new database holds no rows to mend: its index on Nom comes with the tables rather than
    // in a transaction of its own, which would cost one more sync of the disk.
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) || !query.next()) {
        const Result<> failed = fail(QStringLiteral("cannot create the tables"), query);
        rollback();
        return failed;
    }
    if (query.value(0).toInt() == 0)
        statements << StoreSchema::statement(Engine::Sqlite, nomIndex);
    query.finish();
    // An older LogProgress first, as the table created below would take its name.
    Result<> created = addHostToProgress();
    for (const QString &statement : statements) {
        if (created && !query.exec(statement))
            created = fail(QStringLiteral("cannot create the tables"), query);
    }
    if (!created) {
        rollback();
        return created;
    }
    return commit();
}

Result<> SqliteEngine::addHostToProgress()
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral(
            "SELECT (SELECT COUNT(*) FROM sqlite_master WHERE name = 'LogProgress'), "
            "(SELECT COUNT(*) FROM pragma_table_info('LogProgress') WHERE name = 'Host')"))
        || !query.next())
        return fail(QStringLiteral("cannot read the log progress"), query);
    if (query.value(0).toInt() == 0 || query.value(1).toInt() == 1)
        return {};
    query.finish();
    const QString what = QStringLiteral("cannot record the log progress of several machines");
    QSqlQuery copy(database());
    if (!query.exec(QStringLiteral("ALTER TABLE LogProgress RENAME TO LogProgressBefore"))
        || !query.exec(StoreSchema::statement(Engine::Sqlite, QStringLiteral("LogProgress")))
        || !copy.prepare(QStringLiteral(
            "INSERT INTO LogProgress (Host, File, ByteOffset, HeadDigest, HeadLength) SELECT ?, "
            "File, ByteOffset, HeadDigest, HeadLength FROM LogProgressBefore")))
        return fail(what, query.lastError().isValid() ? query.lastError() : copy.lastError());
    copy.addBindValue(m_host);
    if (!copy.exec())
        return fail(what, copy);
    if (!query.exec(QStringLiteral("DROP TABLE LogProgressBefore")))
        return fail(what, query);
    return {};
}

Result<> SqliteEngine::mendKeys(const MendPlan &plan, const QStringList &noms)
{
    const QString what = QStringLiteral("cannot mend the players");
    QSqlQuery query(database());
    if (!query.prepare(QStringLiteral("DELETE FROM Players WHERE Id = ?")))
        return fail(what, query);
    for (const qint64 key : plan.goneKeys) {
        query.bindValue(0, key);
        if (!query.exec())
            return fail(what, query);
    }
    if (!query.prepare(QStringLiteral("INSERT INTO Players (Folded, Nom) VALUES (?, ?)")))
        return fail(what, query);
    for (const std::size_t row : plan.newKeys) {
        query.bindValue(0, noms[qsizetype(row)].toCaseFolded());
        query.bindValue(1, noms[qsizetype(row)]);
        if (!query.exec())
            return fail(what, query);
    }
    if (!query.exec(StoreSchema::statement(Engine::Sqlite, nomIndex)))
        return fail(what, query);
    return {};
}

Result<bool> SqliteEngine::tryLockWriter()
{
    if (!m_writerLock)
        m_writerLock = std::make_unique<ExclusiveLock>(m_path + QStringLiteral(".lock"));
    switch (m_writerLock->tryLock()) {
    case ExclusiveLock::Result::Locked:
        return true;
    case ExclusiveLock::Result::Busy:
        return false;
    case ExclusiveLock::Result::Failed:
        break;
    }
    return Result<bool>::failure(m_writerLock->errorString());
}

StoreEngine::Holder SqliteEngine::writerLockHolder()
{
    const qint64 pid = m_writerLock ? m_writerLock->holder() : 0;
    if (pid > 0)
        return {pid, QStringLiteral("process %1").arg(pid)};
    return {0, QStringLiteral("another process")};
}

sqlite3 *SqliteEngine::handle() const
{
    const QVariant handle = database().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

Result<SqliteStatement *> SqliteEngine::prepared(std::unique_ptr<SqliteStatement> &statement,
                                                 const QString &text)
{
    const QString what = QStringLiteral("cannot prepare a statement");
    if (!statement) {
        sqlite3 *db = handle();
        if (!db)
            return fail(what, QStringLiteral("the database is not open"));
        statement = std::make_unique<SqliteStatement>(db, text);
        if (!statement->isValid()) {
            const Failure failure = fail(what, *statement);
            statement.reset();
            return failure;
        }
    }
    return statement.get();
}

Result<> SqliteEngine::importPlayers(const std::vector<PlayerDelta> &players)
{
    // A row added in the order of an index costs that index an append; at random, a search.
    // The keys go in order of the folded names, the rows in ranking order, with the places the
    // ranking that follows would give, and the indexes are built afterwards, a sort each.
    // Below bulkImportSize players the indexes are kept and filled as the rows come.
    const QString what = QStringLiteral("cannot import the players");
    const bool rebuild = players.size() >= bulkImportSize;
    QSqlQuery query(database());
    for (const QString &index : StoreSchema::names(StoreSchema::Kind::Index)) {
        if (rebuild && !query.exec(QStringLiteral("DROP INDEX IF EXISTS %1").arg(index)))
            return fail(what, query);
    }

    constexpr std::size_t score = StatsColumns::TotalClass - StatsColumns::FirstCounter;
    const std::vector<const PlayerDelta *> byKey = sortedPlayers(players, [](const PlayerDelta &p) {
        return std::pair {0, p.folded};
    });
    if (const Result<> keys =
            insertMany(QStringLiteral("INSERT INTO Players (Folded, Nom) VALUES "), 2, byKey.size(),
                       [&](SqliteStatement &statement, int first, std::size_t i) {
                           statement.bind(first + 1, byKey[i]->folded);
                           statement.bind(first + 2, byKey[i]->nom);
                       });
        !keys)
        return keys;

    const std::vector<const PlayerDelta *> byRank =
        sortedPlayers(players, [](const PlayerDelta &p) {
            // Descending scores: the negated score sorts ascending.
            return std::pair {-qint64((*p.delta)[score]), p.nom};
        });
    if (const Result<> rows = insertMany(
            QStringLiteral("INSERT INTO Stats (Nom, Place, %1) VALUES ")
                .arg(StatsColumns::quotedCounters().join(u", ")),
            StatsColumns::Count, byRank.size(),
            [&](SqliteStatement &statement, int first, std::size_t i) {
                statement.bind(first + 1, byRank[i]->nom);
                statement.bind(first + 2, qint64(i + 1));
                for (int c = 0; c < StatsColumns::CounterCount; ++c)
                    statement.bind(first + c + 3, qint64((*byRank[i]->delta)[std::size_t(c)]));
            });
        !rows)
        return rows;

    for (const QString &statement : StoreSchema::indexStatements(Engine::Sqlite)) {
        if (rebuild && !query.exec(statement))
            return fail(what, query);
    }
    return {};
}

template<typename Key>
std::vector<const DataStats::PlayerDelta *>
SqliteEngine::sortedPlayers(const std::vector<PlayerDelta> &players, Key key)
{
    // Sorted on keys held side by side, a number and the first sixteen bytes of a name: most
    // comparisons then never reach the players themselves.
    struct Sortable
    {
        qint64 number;
        quint64 first;
        quint64 second;
        const PlayerDelta *player;
    };
    auto word = [](QByteArrayView bytes, qsizetype from) {
        quint64 value = 0;
        for (qsizetype i = from; i < from + 8; ++i)
            value = (value << 8) | (i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0);
        return value;
    };
    std::vector<Sortable> keys;
    keys.reserve(players.size());
    for (const PlayerDelta &player : players) {
        const auto [number, name] = key(player);
        keys.push_back(Sortable {number, word(name, 0), word(name, 8), &player});
    }
    std::sort(keys.begin(), keys.end(), [&key](const Sortable &a, const Sortable &b) {
        if (a.number != b.number)
            return a.number < b.number;
        if (a.first != b.first)
            return a.first < b.first;
        if (a.second != b.second)
            return a.second < b.second;
        return key(*a.player).second < key(*b.player).second;
    });
    std::vector<const PlayerDelta *> order;
    order.reserve(keys.size());
    for (const Sortable &sortable : keys)
        order.push_back(sortable.player);
    return order;
}

template<typename Bind>
Result<> SqliteEngine::insertMany(const QString &head, int columns, std::size_t rows, Bind bindRow)
{
    // Many rows to a statement: the work of a step and of the statement itself is shared.
    constexpr int rowsPerStatement = 64;
    // Bare "?" are numbered 1, 2, 3... in the order written, as "?1", "?2"... would be; but
    // SQLite looks each numbered one up among all the others, thousands in a statement.
    auto values = [columns](int count) {
        QStringList row(columns, QStringLiteral("?"));
        const QString tuple = QLatin1Char('(') + row.join(u", ") + QLatin1Char(')');
        return QStringList(count, tuple).join(u", ");
    };
    const QString what = QStringLiteral("cannot import the players");
    const std::size_t full = rows / rowsPerStatement * rowsPerStatement;
    SqliteStatement many(handle(), head + values(rowsPerStatement));
    SqliteStatement one(handle(), head + values(1));
    if (!many.isValid() || !one.isValid())
        return fail(what, many.isValid() ? one : many);
    for (std::size_t i = 0; i < rows;) {
        SqliteStatement &statement = i < full ? many : one;
        const int count = i < full ? rowsPerStatement : 1;
        for (int r = 0; r < count; ++r)
            bindRow(statement, r * columns, i + std::size_t(r));
        if (!statement.step())
            return fail(what, statement);
        statement.reset();
        i += std::size_t(count);
    }
    return {};
}

void SqliteEngine::unlockWriter()
{
    if (m_writerLock)
        m_writerLock->unlock();
}

bool SqliteEngine::holdsWriterLock() const
{
    return m_writerLock && m_writerLock->isLocked();
}

Result<> SqliteEngine::beginTransaction()
{
    // Immediate: two writers queue at the start instead of failing when both upgrade a read.
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(QStringLiteral("cannot start a transaction"), query);
    return {};
}

Result<> SqliteEngine::commit()
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("COMMIT"))) {
        const QSqlError error = query.lastError();
        rollback();
        return fail(QStringLiteral("cannot commit"), error);
    }
    return {};
}

void SqliteEngine::rollback()
{
    QSqlQuery(database()).exec(QStringLiteral("ROLLBACK"));
}

Result<> SqliteEngine::addToPlayers(const std::vector<PlayerDelta> &players, bool rankingFollows)
{
    bool wasEmpty = false;
    if (rankingFollows) {
        QSqlQuery probe(database());
        if (!probe.exec(QStringLiteral("SELECT EXISTS (SELECT 1 FROM Stats)")) || !probe.next())
            return fail(QStringLiteral("cannot read the players"), probe);
        wasEmpty = probe.value(0).toInt() == 0;
    }
    // A first import: every player is new, and none can be seen before the ranking that follows,
    // which finds every place already right.
    if (wasEmpty)
        return importPlayers(players);

    const QStringList counters = StatsColumns::quotedCounters();
    QStringList sets;
    QString placeholders;
    for (int i = 0; i < counters.size(); ++i) {
        sets << QStringLiteral("%1 = %1 + ?%2").arg(counters[i]).arg(i + 1);
        placeholders += QStringLiteral(", ?%1").arg(i + 3);
    }
    const Result<SqliteStatement *> statements[] = {
        prepared(m_insertKey,
                 QStringLiteral(
                     "INSERT INTO Players (Folded, Nom) VALUES (?1, ?2) ON CONFLICT DO NOTHING")),
        prepared(m_findKey, QStringLiteral("SELECT Nom FROM Players WHERE Folded = ?1")),
        prepared(m_addToRow,
                 QStringLiteral("UPDATE Stats SET %1 WHERE Nom = ?%2")
                     .arg(sets.join(u", "))
                     .arg(counters.size() + 1)),
        prepared(m_insertRow,
                 QStringLiteral("INSERT INTO Stats (Nom, Place, %1) VALUES (?1, ?2%2)")
                     .arg(counters.join(u", "), placeholders)),
    };
    for (const Result<SqliteStatement *> &statement : statements) {
        if (!statement)
            return passOn(statement);
    }
    SqliteStatement *insertKey = *statements[0];
    SqliteStatement *findKey = *statements[1];
    SqliteStatement *addToRow = *statements[2];
    SqliteStatement *insertRow = *statements[3];
    auto failed = [this](const QString &what, SqliteStatement *statement) -> Result<> {
        const Failure failure = fail(what, *statement);
        statement->reset();
        return failure;
    };

    QByteArray stored;
    for (const PlayerDelta &player : players) {
        insertKey->bind(1, player.folded);
        insertKey->bind(2, player.nom);
        if (!insertKey->step())
            return failed(QStringLiteral("cannot add a player"), insertKey);
        const bool isNew = insertKey->changes() == 1;
        insertKey->reset();
        QByteArrayView nom = player.nom;
        bool updated = false;
        if (!isNew) {
            findKey->bind(1, player.folded);
            if (!findKey->step() || !findKey->hasRow())
                return failed(QStringLiteral("cannot read the players"), findKey);
            stored = findKey->columnBytes(0);
            nom = stored;
            findKey->reset();
            for (int i = 0; i < StatsColumns::CounterCount; ++i)
                addToRow->bind(i + 1, qint64((*player.delta)[std::size_t(i)]));
            addToRow->bind(StatsColumns::CounterCount + 1, nom);
            if (!addToRow->step())
                return failed(QStringLiteral("cannot update a player"), addToRow);
            updated = addToRow->changes() == 1;
            addToRow->reset();
        }
        // A key whose row someone removed gets its row back rather than losing the counts.
        if (!updated) {
            insertRow->bind(1, nom);
            insertRow->bind(2, qint64(0));
            for (int i = 0; i < StatsColumns::CounterCount; ++i)
                insertRow->bind(i + 3, qint64((*player.delta)[std::size_t(i)]));
            if (!insertRow->step())
                return failed(QStringLiteral("cannot add a player"), insertRow);
            insertRow->reset();
        }
    }
    return {};
}

Result<> SqliteEngine::forEachPair(const QString &what, const QString &query,
                                   const std::function<void(qint64, qint64)> &f)
{
    sqlite3 *db = handle();
    if (!db)
        return fail(what, QStringLiteral("the database is not open"));
    SqliteStatement scan(db, query);
    if (!scan.isValid())
        return fail(what, scan);
    bool stepped = true;
    while ((stepped = scan.step()) && scan.hasRow())
        f(scan.columnInt(0), scan.columnInt(1));
    if (!stepped)
        return fail(what, scan);
    return {};
}

Result<> SqliteEngine::setPlaces(std::vector<std::pair<qint64, qint64>> places)
{
    const QString what = QStringLiteral("cannot rank the players");
    // In the order of the table, each row is written where the last one was. When a good part
    // of the players move, as new players do to all those ranked below them, the indexes that
    // hold the places are built again afterwards: a sort each, instead of two searches a row.
    std::sort(places.begin(), places.end());
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM Stats")) || !query.next())
        return fail(QStringLiteral("cannot count the players"), query);
    const bool rebuild = places.size() >= bulkImportSize
        && places.size() * 4 >= std::size_t(query.value(0).toLongLong());
    query.finish();
    if (rebuild) {
        for (const QString &index : StoreSchema::placeIndexes()) {
            if (!query.exec(QStringLiteral("DROP INDEX IF EXISTS %1").arg(index)))
                return fail(what, query);
        }
    }
    const Result<SqliteStatement *> prepare =
        prepared(m_setPlace, QStringLiteral("UPDATE Stats SET Place = ?1 WHERE rowid = ?2"));
    if (!prepare)
        return passOn(prepare);
    SqliteStatement *set = *prepare;
    for (const auto &[rowId, place] : places) {
        set->bind(1, place);
        set->bind(2, rowId);
        if (!set->step()) {
            const Failure failure = fail(what, *set);
            set->reset();
            return failure;
        }
        set->reset();
    }
    if (rebuild) {
        for (const QString &statement : StoreSchema::indexStatements(Engine::Sqlite)) {
            if (!query.exec(statement))
                return fail(what, query);
        }
    }
    return {};
}

Result<> SqliteEngine::rankPlayers()
{
    // The places are collected first and written after the scan, which reads an index that
    // holds them.
    std::vector<std::pair<qint64, qint64>> changed;
    qint64 place = 0;
    if (const Result<> scanned = forEachPair(
            QStringLiteral("cannot rank the players"),
            QStringLiteral("SELECT rowid, Place FROM Stats ORDER BY TotalClass DESC, Nom"),
            [&](qint64 rowId, qint64 stored) {
                if (stored != ++place)
                    changed.emplace_back(rowId, place);
            });
        !scanned)
        return scanned;
    return setPlaces(std::move(changed));
}
