// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/datastats.h"

#include "platform/files/exclusivelock.h"
#include "stats/store/postgresaddress.h"
#include "stats/store/postgresstats.h"
#include "stats/store/rankingsource.h"
#include "stats/store/sqlitestatement.h"
#include "stats/store/tolvanesettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QThread>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

QStringList counterColumns()
{
    return StatsColumns::quotedCounters();
}

QString nextConnectionName()
{
    // The first store of a process is the program's BdStats; tests open several side by side.
    static std::atomic<int> count {0};
    const int n = count++;
    return n == 0 ? QStringLiteral("BdStats") : QStringLiteral("BdStats%1").arg(n);
}

// The unique index that makes one row per spelling, and with the key table one per player.
const QString nomIndex = QStringLiteral("StatsNom");

/// The indexes of the tables; \a withNom: the unique index of Stats on Nom, which a database
/// that holds rows whose names fold alike receives only once they are merged.
QStringList indexStatements(bool withNom = true)
{
    QStringList statements = {
        // The folded names are unique in an index of their own, which a first import can drop
        // and build again.
        QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS PlayersFolded ON Players (Folded)"),
        // The ranking pass reads the rows in ranking order, the views list them by Place and
        // by kills: none of them reads the whole table to sort it.
        QStringLiteral(
            "CREATE INDEX IF NOT EXISTS StatsRank ON Stats (TotalClass DESC, Nom, Place)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS StatsPlace ON Stats (Place)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS StatsKills ON Stats (Kills DESC, Place)"),
    };
    if (withNom)
        statements
            << QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS %1 ON Stats (Nom)").arg(nomIndex);
    return statements;
}

} // namespace

DataStats::DataStats()
    : m_connectionName(nextConnectionName()),
      m_host(TolvaneSettings::defaultValue(TolvaneSettings::Key::Host))
{ }

DataStats::~DataStats()
{
    m_rsClass.reset();
    m_rsClass2.reset();
    m_postgres.reset();
    m_insertKey.reset();
    m_findKey.reset();
    m_addToRow.reset();
    m_insertRow.reset();
    m_setPlace.reset();
    unlockWriter();
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase::database(m_connectionName, false).close();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

DataStats::Failure DataStats::fail(const QString &what, const QString &why) const
{
    return {QStringLiteral("%1 (%2): %3")
                .arg(what, m_postgres ? m_path : QDir::toNativeSeparators(m_path), why)};
}

bool DataStats::isAddress(const QString &location)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(location).hasMatch();
}

bool DataStats::isSupported(const QString &location)
{
    return !isAddress(location) || PostgresAddress::isPostgres(location);
}

Result<> DataStats::open(const QString &path, Access access)
{
    m_path = path;
    m_access = access;
    m_mergedOnOpen = 0;
    m_postgres.reset();
    const QString cannotOpen = QStringLiteral("cannot open the database");
    if (PostgresAddress::isPostgres(path)) {
        // The password an address may hold is used to connect, and never shown.
        m_path = PostgresAddress::withoutPassword(path);
        const Result<PostgresAddress> address = PostgresAddress::parse(path);
        if (!address)
            return fail(cannotOpen, address.reason());
        auto postgres = std::make_unique<PostgresStats>(m_connectionName, m_path);
        if (const Result<> opened = postgres->open(*address, access); !opened)
            return opened;
        m_postgres = std::move(postgres);
        return access == Access::ReadOnly ? Result<> {} : mendOnOpen();
    }
    if (isAddress(path))
        return fail(cannotOpen,
                    QStringLiteral("of the databases on a server only PostgreSQL's, "
                                   "postgresql://..., are supported; give one, or a "
                                   "file"));
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return fail(cannotOpen, QStringLiteral("the Qt SQLite driver is not installed"));
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return fail(cannotOpen, QStringLiteral("not a file"));
    if (access == Access::ReadOnly) {
        // Opening must never leave behind a database nobody asked for.
        if (!info.exists())
            return fail(cannotOpen, QStringLiteral("it does not exist"));
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
    db.setConnectOptions(access == Access::ReadOnly
                             ? QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000;QSQLITE_OPEN_READONLY")
                             : QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
    if (!db.open())
        return fail(cannotOpen, db.lastError().text());
    if (access == Access::ReadOnly) {
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))) {
            const QString reason = probe.lastError().text();
            db.close();
            return fail(cannotOpen, readOnlyReason(reason));
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
    return mendOnOpen();
}

QString DataStats::readOnlyReason(const QString &reason) const
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

Result<> DataStats::mendOnOpen()
{
    // Rows left by older versions, or by two runs that once raced, are merged now if nobody
    // else is writing; otherwise the writer that holds the lock mends them before it counts.
    const Result<bool> mend = needsMend();
    if (!mend) {
        database().close();
        return passOn(mend);
    }
    // The places of merged rows are put right by the next ranking pass.
    if (*mend && lockWriter(std::chrono::milliseconds(0))) {
        const Result<int> merged = mendPlayers();
        unlockWriter();
        if (!merged) {
            database().close();
            return passOn(merged);
        }
        m_mergedOnOpen = *merged;
    }
    m_lockTimedOut = false;
    return {};
}

bool DataStats::isOpen() const
{
    return QSqlDatabase::contains(m_connectionName)
        && QSqlDatabase::database(m_connectionName, false).isOpen();
}

QSqlDatabase DataStats::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

Result<> DataStats::createSchema()
{
    QStringList columns;
    for (int c = 0; c < StatsColumns::Count; ++c) {
        const QString name = StatsColumns::quoted(c);
        columns << (c == StatsColumns::Nom ? name + QStringLiteral(" TEXT NOT NULL DEFAULT ''")
                                           : name + QStringLiteral(" INTEGER NOT NULL DEFAULT 0"));
    }
    const QStringList statements =
        QStringList {
            QStringLiteral("CREATE TABLE IF NOT EXISTS Stats (%1)").arg(columns.join(u", ")),
            QStringLiteral("CREATE VIEW IF NOT EXISTS Class AS SELECT * FROM Stats "
                           "ORDER BY Kills DESC, Place"),
            QStringLiteral(
                "CREATE VIEW IF NOT EXISTS Class2 AS SELECT * FROM Stats ORDER BY Place"),
            // How far each machine counted each of its log files, committed with that file's
            // counts.
            QStringLiteral("CREATE TABLE IF NOT EXISTS LogProgress (Host TEXT NOT NULL, "
                           "File TEXT NOT NULL, ByteOffset INTEGER NOT NULL, HeadDigest BLOB NOT "
                           "NULL, HeadLength INTEGER NOT NULL, PRIMARY KEY (Host, File))"),
            // One key per player: the case-folded name, unique, with the spelling of its row.
            QStringLiteral("CREATE TABLE IF NOT EXISTS Players (Id INTEGER PRIMARY KEY, "
                           "Folded TEXT NOT NULL, Nom TEXT NOT NULL)"),
            // Facts about the statistics as a whole, such as when an update last finished.
            QStringLiteral(R"(CREATE TABLE IF NOT EXISTS "Meta" ("Key" TEXT PRIMARY KEY, )"
                           R"("Value" TEXT NOT NULL))"),
        }
        + indexStatements(false);
    // Opening an existing database writes nothing: a commit costs a sync of the disk.
    const QString complete = QStringLiteral(
        "SELECT (SELECT COUNT(*) FROM sqlite_master WHERE name IN ('Stats', 'Class', 'Class2', "
        "'LogProgress', 'Players', 'Meta', 'PlayersFolded', 'StatsRank', 'StatsPlace', "
        "'StatsKills')) "
        "+ (SELECT COUNT(*) FROM pragma_table_info('LogProgress') WHERE name = 'Host')");
    QSqlQuery existing(database());
    if (existing.exec(complete) && existing.next()
        && existing.value(0).toInt() == statements.size() + 1)
        return {};
    existing.finish();
    // Several programs may create the schema at once: one transaction each, one at a time.
    if (const Result<> begun = beginTransaction(); !begun)
        return begun;
    QSqlQuery query(database());
    // An older LogProgress first, as the table created below would take its name.
    Result<> created = addHostToProgress();
    for (const QString &statement : statements) {
        if (created && !query.exec(statement))
            created = fail(QStringLiteral("cannot create the tables"), query.lastError().text());
    }
    if (!created) {
        rollback();
        return created;
    }
    return commit();
}

Result<> DataStats::addHostToProgress()
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral(
            "SELECT (SELECT COUNT(*) FROM sqlite_master WHERE name = 'LogProgress'), "
            "(SELECT COUNT(*) FROM pragma_table_info('LogProgress') WHERE name = 'Host')"))
        || !query.next())
        return fail(QStringLiteral("cannot read the log progress"), query.lastError().text());
    if (query.value(0).toInt() == 0 || query.value(1).toInt() == 1)
        return {};
    query.finish();
    const QString what = QStringLiteral("cannot record the log progress of several machines");
    QSqlQuery copy(database());
    if (!query.exec(QStringLiteral("ALTER TABLE LogProgress RENAME TO LogProgressBefore"))
        || !query.exec(QStringLiteral(
            "CREATE TABLE LogProgress (Host TEXT NOT NULL, File TEXT NOT NULL, ByteOffset "
            "INTEGER NOT NULL, HeadDigest BLOB NOT NULL, HeadLength INTEGER NOT NULL, "
            "PRIMARY KEY (Host, File))"))
        || !copy.prepare(QStringLiteral(
            "INSERT INTO LogProgress (Host, File, ByteOffset, HeadDigest, HeadLength) SELECT ?, "
            "File, ByteOffset, HeadDigest, HeadLength FROM LogProgressBefore")))
        return fail(
            what, query.lastError().isValid() ? query.lastError().text() : copy.lastError().text());
    copy.addBindValue(m_host);
    if (!copy.exec())
        return fail(what, copy.lastError().text());
    if (!query.exec(QStringLiteral("DROP TABLE LogProgressBefore")))
        return fail(what, query.lastError().text());
    return {};
}

Result<bool> DataStats::needsMend()
{
    if (m_postgres)
        return m_postgres->needsMend();
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("SELECT (SELECT COUNT(*) FROM sqlite_master WHERE type = "
                                   "'index' AND name = '%1'), (SELECT COUNT(*) FROM Stats), "
                                   "(SELECT COUNT(*) FROM Players)")
                        .arg(nomIndex))
        || !query.next())
        return fail(QStringLiteral("cannot read the players"), query.lastError().text());
    return query.value(0).toInt() == 0
        || query.value(1).toLongLong() != query.value(2).toLongLong();
}

Result<int> DataStats::mendPlayers()
{
    if (m_postgres)
        return m_postgres->mendPlayers();
    const QString what = QStringLiteral("cannot mend the players");
    if (!holdsWriterLock())
        return fail(what, QStringLiteral("another program is writing"));
    const Result<bool> mend = needsMend();
    if (!mend)
        return passOn(mend);
    if (!*mend)
        return 0;
    if (const Result<> begun = beginTransaction(); !begun)
        return passOn(begun);
    auto abandon = [&](const QSqlQuery &query) -> Result<int> {
        const QString reason = query.lastError().text();
        rollback();
        return fail(what, reason);
    };

    QSqlQuery query(database());
    query.setForwardOnly(true);
    QHash<QString, qint64> keyOfNom;
    if (!query.exec(QStringLiteral("SELECT Id, Nom FROM Players")))
        return abandon(query);
    while (query.next())
        keyOfNom.insert(query.value(1).toString(), query.value(0).toLongLong());

    struct Row
    {
        qint64 rowId;
        QString nom;
    };
    struct Group
    {
        QString folded;
        std::vector<Row> rows; // in table order: the first is the oldest
    };
    std::vector<Group> groups;
    QHash<QString, std::size_t> groupOf;
    if (!query.exec(QStringLiteral("SELECT rowid, Nom FROM Stats ORDER BY rowid")))
        return abandon(query);
    while (query.next()) {
        Row row {query.value(0).toLongLong(), query.value(1).toString()};
        const QString folded = row.nom.toCaseFolded();
        const auto it = groupOf.constFind(folded);
        if (it == groupOf.cend()) {
            groupOf.insert(folded, groups.size());
            groups.push_back(Group {folded, {std::move(row)}});
        } else {
            groups[*it].rows.push_back(std::move(row));
        }
    }
    query.finish();

    const QStringList counters = counterColumns();
    QStringList sums;
    for (const QString &column : counters)
        sums << QStringLiteral("Stats.%1 + o.%1").arg(column);
    QSqlQuery addInto(database());
    QSqlQuery remove(database());
    QSqlQuery removeKey(database());
    QSqlQuery addKey(database());
    if (!addInto.prepare(QStringLiteral("UPDATE Stats SET (%1) = (SELECT %2 FROM Stats AS o "
                                        "WHERE o.rowid = ?) WHERE rowid = ?")
                             .arg(counters.join(u", "), sums.join(u", "))))
        return abandon(addInto);
    if (!remove.prepare(QStringLiteral("DELETE FROM Stats WHERE rowid = ?")))
        return abandon(remove);
    if (!removeKey.prepare(QStringLiteral("DELETE FROM Players WHERE Id = ?")))
        return abandon(removeKey);
    if (!addKey.prepare(QStringLiteral("INSERT INTO Players (Folded, Nom) VALUES (?, ?)")))
        return abandon(addKey);

    int merged = 0;
    QHash<QString, qint64> keptKeys; // Nom of each kept row -> its key, when it has one
    std::vector<const Row *> unkeyed;
    for (const Group &group : groups) {
        // The row whose key is oldest keeps the counts; without any key, the oldest row.
        const Row *keeper = &group.rows.front();
        qint64 keeperKey = keyOfNom.value(keeper->nom, 0);
        for (const Row &row : group.rows) {
            const qint64 key = keyOfNom.value(row.nom, 0);
            if (key != 0 && (keeperKey == 0 || key < keeperKey)) {
                keeper = &row;
                keeperKey = key;
            }
        }
        for (const Row &row : group.rows) {
            if (&row == keeper)
                continue;
            addInto.bindValue(0, row.rowId);
            addInto.bindValue(1, keeper->rowId);
            if (!addInto.exec())
                return abandon(addInto);
            remove.bindValue(0, row.rowId);
            if (!remove.exec())
                return abandon(remove);
            ++merged;
        }
        if (keeperKey != 0)
            keptKeys.insert(keeper->nom, keeperKey);
        else
            unkeyed.push_back(keeper);
    }
    // Keys of rows that are gone go first, so that their folded names are free again.
    for (auto it = keyOfNom.cbegin(); it != keyOfNom.cend(); ++it) {
        if (keptKeys.value(it.key(), 0) == it.value())
            continue;
        removeKey.bindValue(0, it.value());
        if (!removeKey.exec())
            return abandon(removeKey);
    }
    // New keys in table order, so that their ids follow the order the players were first seen.
    for (const Row *row : unkeyed) {
        addKey.bindValue(0, row->nom.toCaseFolded());
        addKey.bindValue(1, row->nom);
        if (!addKey.exec())
            return abandon(addKey);
    }
    if (!query.exec(
            QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS %1 ON Stats (Nom)").arg(nomIndex)))
        return abandon(query);
    if (const Result<> committed = commit(); !committed)
        return passOn(committed);
    return merged;
}

Result<> DataStats::lockWriter(std::chrono::milliseconds bound,
                               const std::function<void(std::chrono::milliseconds)> &whileWaiting)
{
    m_lockTimedOut = false;
    if (m_postgres)
        return m_postgres->lockWriter(bound, whileWaiting, m_lockTimedOut);
    if (!m_writerLock)
        m_writerLock = std::make_unique<ExclusiveLock>(m_path + QStringLiteral(".lock"));
    QElapsedTimer waited;
    waited.start();
    while (true) {
        switch (m_writerLock->tryLock()) {
        case ExclusiveLock::Result::Locked:
            return {};
        case ExclusiveLock::Result::Failed:
            return fail(QStringLiteral("cannot take the writer lock"), m_writerLock->errorString());
        case ExclusiveLock::Result::Busy:
            break;
        }
        const auto elapsed = std::chrono::milliseconds(waited.elapsed());
        if (elapsed >= bound) {
            m_lockTimedOut = true;
            const qint64 pid = m_writerLock->holder();
            return fail(QStringLiteral("another update is writing"),
                        QStringLiteral("%1 still holds the database after %2 s")
                            .arg(pid > 0 ? QStringLiteral("process %1").arg(pid)
                                         : QStringLiteral("another process"))
                            .arg(double(elapsed.count()) / 1000, 0, 'f', 1));
        }
        if (whileWaiting)
            whileWaiting(elapsed);
        QThread::msleep(std::min<qint64>(50, (bound - elapsed).count()));
    }
}

void DataStats::unlockWriter()
{
    if (m_postgres)
        m_postgres->unlockWriter();
    if (m_writerLock)
        m_writerLock->unlock();
}

bool DataStats::holdsWriterLock() const
{
    if (m_postgres)
        return m_postgres->holdsWriterLock();
    return m_writerLock && m_writerLock->isLocked();
}

QString DataStats::rankingQuery(Ranking order)
{
    // Quoted, for the engines that would take Class for class otherwise.
    return order == Ranking::Kills ? QStringLiteral("SELECT * FROM \"Class\"")
                                   : QStringLiteral("SELECT * FROM \"Class2\"");
}

RankingSource *DataStats::recordSource(const QString &dataMember)
{
    std::unique_ptr<RankingSource> *set = nullptr;
    Ranking order = Ranking::Places;
    if (dataMember.compare(QLatin1String("Class2"), Qt::CaseInsensitive) == 0) {
        set = &m_rsClass2;
    } else if (dataMember.compare(QLatin1String("Class"), Qt::CaseInsensitive) == 0) {
        set = &m_rsClass;
        order = Ranking::Kills;
    }
    if (!set || !isOpen())
        return nullptr;
    if (!*set)
        // Both orders list every row of Stats, which its own count reads from an index.
        *set = std::make_unique<RankingSource>(database(), rankingQuery(order),
                                               QStringLiteral("SELECT COUNT(*) FROM \"Stats\""));
    // Nothing to show: the grid stays empty.
    if (!(*set)->isOpen() && !(*set)->open())
        return nullptr;
    return set->get();
}

void DataStats::closeRecordSets()
{
    for (auto *set : {&m_rsClass, &m_rsClass2}) {
        if (*set)
            (*set)->close();
    }
}

Result<> DataStats::beginTransaction()
{
    if (m_postgres)
        return m_postgres->beginTransaction();
    // Immediate: two writers queue at the start instead of failing when both upgrade a read.
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(QStringLiteral("cannot start a transaction"), query.lastError().text());
    return {};
}

Result<> DataStats::commit()
{
    if (m_postgres)
        return m_postgres->commit();
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("COMMIT"))) {
        const QString reason = query.lastError().text();
        rollback();
        return fail(QStringLiteral("cannot commit"), reason);
    }
    return {};
}

void DataStats::rollback()
{
    if (m_postgres) {
        m_postgres->rollback();
        return;
    }
    QSqlQuery(database()).exec(QStringLiteral("ROLLBACK"));
}

sqlite3 *DataStats::handle() const
{
    const QVariant handle = database().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

Result<SqliteStatement *> DataStats::prepared(std::unique_ptr<SqliteStatement> &statement,
                                              const QString &text)
{
    const QString what = QStringLiteral("cannot prepare a statement");
    if (!statement) {
        sqlite3 *db = handle();
        if (!db)
            return fail(what, QStringLiteral("the database is not open"));
        statement = std::make_unique<SqliteStatement>(db, text);
        if (!statement->isValid()) {
            const Failure failure = fail(what, statement->errorString());
            statement.reset();
            return failure;
        }
    }
    return statement.get();
}

Result<> DataStats::addToPlayers(const std::vector<PlayerDelta> &players, bool rankingFollows)
{
    if (m_postgres)
        return m_postgres->addToPlayers(players);
    bool wasEmpty = false;
    if (rankingFollows) {
        QSqlQuery probe(database());
        if (!probe.exec(QStringLiteral("SELECT EXISTS (SELECT 1 FROM Stats)")) || !probe.next())
            return fail(QStringLiteral("cannot read the players"), probe.lastError().text());
        wasEmpty = probe.value(0).toInt() == 0;
    }
    // A first import: every player is new, and none can be seen before the ranking that follows.
    if (wasEmpty && players.size() >= bulkImportSize)
        return importPlayers(players);

    const QStringList counters = counterColumns();
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
        const Failure failure = fail(what, statement->errorString());
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

Result<> DataStats::importPlayers(const std::vector<PlayerDelta> &players)
{
    // A row added in the order of an index costs that index an append; at random, a search.
    // The keys go in order of the folded names, the rows in ranking order, with the places the
    // ranking that follows would give, and the indexes are built afterwards, a sort each.
    const QString what = QStringLiteral("cannot import the players");
    QSqlQuery query(database());
    for (const char *index :
         {"PlayersFolded", "StatsNom", "StatsRank", "StatsPlace", "StatsKills"}) {
        if (!query.exec(QStringLiteral("DROP INDEX IF EXISTS %1").arg(QLatin1String(index))))
            return fail(what, query.lastError().text());
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
                .arg(counterColumns().join(u", ")),
            StatsColumns::Count, byRank.size(),
            [&](SqliteStatement &statement, int first, std::size_t i) {
                statement.bind(first + 1, byRank[i]->nom);
                statement.bind(first + 2, qint64(i + 1));
                for (int c = 0; c < StatsColumns::CounterCount; ++c)
                    statement.bind(first + c + 3, qint64((*byRank[i]->delta)[std::size_t(c)]));
            });
        !rows)
        return rows;

    for (const QString &statement : indexStatements()) {
        if (!query.exec(statement))
            return fail(what, query.lastError().text());
    }
    return {};
}

template<typename Key>
std::vector<const DataStats::PlayerDelta *>
DataStats::sortedPlayers(const std::vector<PlayerDelta> &players, Key key)
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
Result<> DataStats::insertMany(const QString &head, int columns, std::size_t rows, Bind bindRow)
{
    // Many rows to a statement: the work of a step and of the statement itself is shared.
    constexpr int rowsPerStatement = 64;
    auto values = [columns](int count) {
        QStringList tuples;
        int parameter = 1;
        for (int r = 0; r < count; ++r) {
            QStringList row;
            for (int c = 0; c < columns; ++c)
                row << QStringLiteral("?%1").arg(parameter++);
            tuples << QLatin1Char('(') + row.join(u", ") + QLatin1Char(')');
        }
        return tuples.join(u", ");
    };
    const QString what = QStringLiteral("cannot import the players");
    const std::size_t full = rows / rowsPerStatement * rowsPerStatement;
    SqliteStatement many(handle(), head + values(rowsPerStatement));
    SqliteStatement one(handle(), head + values(1));
    if (!many.isValid() || !one.isValid())
        return fail(what, many.isValid() ? one.errorString() : many.errorString());
    for (std::size_t i = 0; i < rows;) {
        SqliteStatement &statement = i < full ? many : one;
        const int count = i < full ? rowsPerStatement : 1;
        for (int r = 0; r < count; ++r)
            bindRow(statement, r * columns, i + std::size_t(r));
        if (!statement.step())
            return fail(what, statement.errorString());
        statement.reset();
        i += std::size_t(count);
    }
    return {};
}

Result<QString> DataStats::addToPlayer(const QString &nom, const Counters &delta)
{
    if (m_postgres)
        return m_postgres->addToPlayer(nom, delta);
    const QByteArray spelling = nom.toUtf8();
    const QByteArray folded = nom.toCaseFolded().toUtf8();
    // A null text is the empty name, not a missing one: the drivers bind it as NULL.
    const QString key = folded.isEmpty() ? QStringLiteral("") : QString::fromUtf8(folded);
    Counts counts {};
    std::copy(delta.begin(), delta.end(), counts.begin());
    if (const Result<> added = addToPlayers({PlayerDelta {spelling, folded, &counts}}); !added)
        return passOn(added);
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT Nom FROM Players WHERE Folded = ?"));
    query.addBindValue(key);
    if (!query.exec() || !query.next())
        return fail(QStringLiteral("cannot read the players"), query.lastError().text());
    return query.value(0).toString();
}

Result<int> DataStats::rowCount()
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM \"Stats\"")) || !query.next())
        return fail(QStringLiteral("cannot count the players"), query.lastError().text());
    return query.value(0).toInt();
}

Result<DataStats::FileProgress> DataStats::fileProgress(const QString &fileName)
{
    if (m_postgres)
        return m_postgres->fileProgress(m_host, fileName);
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT ByteOffset, HeadDigest, HeadLength FROM LogProgress "
                                 "WHERE Host = ? AND File = ?"));
    query.addBindValue(m_host);
    query.addBindValue(fileName);
    if (!query.exec())
        return fail(QStringLiteral("cannot read the log progress"), query.lastError().text());
    if (!query.next())
        return FileProgress {};
    return FileProgress {query.value(0).toLongLong(), query.value(1).toByteArray(),
                         query.value(2).toLongLong()};
}

Result<> DataStats::setFileProgress(const QString &fileName, const FileProgress &progress)
{
    if (m_postgres)
        return m_postgres->setFileProgress(m_host, fileName, progress);
    QSqlQuery query(database());
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO LogProgress (Host, File, ByteOffset, "
                                 "HeadDigest, HeadLength) VALUES (?, ?, ?, ?, ?)"));
    query.addBindValue(m_host);
    query.addBindValue(fileName);
    query.addBindValue(progress.offset);
    query.addBindValue(progress.headDigest);
    query.addBindValue(progress.headLength);
    if (!query.exec())
        return fail(QStringLiteral("cannot record the log progress"), query.lastError().text());
    return {};
}

Result<> DataStats::removeFileProgress(const QString &fileName)
{
    if (m_postgres)
        return m_postgres->removeFileProgress(m_host, fileName);
    QSqlQuery query(database());
    query.prepare(QStringLiteral("DELETE FROM LogProgress WHERE Host = ? AND File = ?"));
    query.addBindValue(m_host);
    query.addBindValue(fileName);
    if (!query.exec())
        return fail(QStringLiteral("cannot record the log progress"), query.lastError().text());
    return {};
}

Result<> DataStats::forEachInRankOrder(const std::function<void(qint64, qint64)> &f)
{
    if (m_postgres)
        return m_postgres->forEachInRankOrder(f);
    sqlite3 *db = handle();
    if (!db)
        return fail(QStringLiteral("cannot rank the players"),
                    QStringLiteral("the database is not open"));
    SqliteStatement scan(
        db, QStringLiteral("SELECT rowid, Place FROM Stats ORDER BY TotalClass DESC, Nom"));
    if (!scan.isValid())
        return fail(QStringLiteral("cannot rank the players"), scan.errorString());
    bool stepped = true;
    while ((stepped = scan.step()) && scan.hasRow())
        f(scan.columnInt(0), scan.columnInt(1));
    if (!stepped)
        return fail(QStringLiteral("cannot rank the players"), scan.errorString());
    return {};
}

Result<> DataStats::setPlaces(std::vector<std::pair<qint64, qint64>> places)
{
    if (m_postgres)
        return m_postgres->setPlaces(places);
    const QString what = QStringLiteral("cannot rank the players");
    // In the order of the table, each row is written where the last one was. When a good part
    // of the players move, as new players do to all those ranked below them, the indexes that
    // hold the places are built again afterwards: a sort each, instead of two searches a row.
    std::sort(places.begin(), places.end());
    const Result<int> rows = rowCount();
    if (!rows)
        return passOn(rows);
    const bool rebuild = places.size() >= bulkImportSize && places.size() * 4 >= std::size_t(*rows);
    QSqlQuery query(database());
    if (rebuild) {
        for (const char *index : {"StatsRank", "StatsPlace", "StatsKills"}) {
            if (!query.exec(QStringLiteral("DROP INDEX IF EXISTS %1").arg(QLatin1String(index))))
                return fail(what, query.lastError().text());
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
            const Failure failure = fail(what, set->errorString());
            set->reset();
            return failure;
        }
        set->reset();
    }
    if (rebuild) {
        for (const QString &statement : indexStatements()) {
            if (!query.exec(statement))
                return fail(what, query.lastError().text());
        }
    }
    return {};
}

Result<> DataStats::clearStats()
{
    if (const Result<> begun = beginTransaction(); !begun)
        return begun;
    QSqlQuery query(database());
    for (const char *table : {"Stats", "Players", "LogProgress"}) {
        if (!query.exec(QStringLiteral("DELETE FROM \"%1\"").arg(QLatin1String(table)))) {
            const QString reason = query.lastError().text();
            rollback();
            return fail(QStringLiteral("cannot empty the statistics"), reason);
        }
    }
    return commit();
}

Result<std::chrono::milliseconds> DataStats::setBusyTimeout(std::chrono::milliseconds timeout)
{
    if (m_postgres)
        return m_postgres->setBusyTimeout(timeout);
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("PRAGMA busy_timeout")) || !query.next())
        return fail(QStringLiteral("cannot read the busy timeout"), query.lastError().text());
    const std::chrono::milliseconds previous(query.value(0).toLongLong());
    query.finish();
    if (!query.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(timeout.count())))
        return fail(QStringLiteral("cannot set the busy timeout"), query.lastError().text());
    return previous;
}

Result<DataStats::Extents> DataStats::extents(qint64 from, qint64 to)
{
    if (m_postgres)
        return m_postgres->extents(from, to);
    const QString what = QStringLiteral("cannot read the players");
    const QStringList ranges = Extents::ranges(QStringLiteral("Place"), counterColumns());
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM Stats WHERE rowid >= ? AND rowid < ?")
                      .arg(ranges.join(u", ")));
    query.addBindValue(from);
    query.addBindValue(to);
    if (!query.exec() || !query.next())
        return fail(what, query.lastError().text());
    Extents extents = Extents::fromRanges(query);
    query.finish();
    // Glyphs differ in width: a few of the longest names, for the widest of them to be measured.
    query.prepare(QStringLiteral("SELECT Nom FROM Stats WHERE rowid >= ? AND rowid < ? "
                                 "ORDER BY LENGTH(Nom) DESC LIMIT 8"));
    query.addBindValue(from);
    query.addBindValue(to);
    if (!query.exec())
        return fail(what, query.lastError().text());
    while (query.next())
        extents.longestNames << query.value(0).toString();
    return extents;
}

Result<qint64> DataStats::rowIdEnd()
{
    if (m_postgres)
        return m_postgres->rowIdEnd();
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("SELECT COALESCE(MAX(rowid), 0) + 1 FROM Stats"))
        || !query.next())
        return fail(QStringLiteral("cannot read the players"), query.lastError().text());
    return query.value(0).toLongLong();
}

Result<DataStats::CopySummary> DataStats::copyFrom(DataStats &source, const QString &host)
{
    const QString what = QStringLiteral("cannot copy the statistics");
    if (!m_postgres)
        return fail(what, QStringLiteral("copies go into a PostgreSQL database"));
    if (source.m_postgres || !source.isOpen())
        return fail(what, QStringLiteral("copies come from an open SQLite database"));
    if (!holdsWriterLock())
        return fail(what, QStringLiteral("another program is writing"));
    return m_postgres->copyFrom(source.database(), source.m_host, host);
}

QStringList DataStats::Extents::ranges(const QString &place, const QStringList &counters)
{
    QStringList ranges {QStringLiteral("COUNT(*)"), QStringLiteral("MIN(%1)").arg(place),
                        QStringLiteral("MAX(%1)").arg(place)};
    for (const QString &column : counters)
        ranges << QStringLiteral("MIN(%1)").arg(column) << QStringLiteral("MAX(%1)").arg(column);
    return ranges;
}

DataStats::Extents DataStats::Extents::fromRanges(const QSqlQuery &query)
{
    Extents extents;
    extents.empty = query.value(0).toLongLong() == 0;
    extents.smallestPlace = query.value(1).toLongLong();
    extents.largestPlace = query.value(2).toLongLong();
    for (int i = 0; i < StatsColumns::CounterCount; ++i) {
        extents.smallest[std::size_t(i)] = query.value(3 + 2 * i).toLongLong();
        extents.largest[std::size_t(i)] = query.value(4 + 2 * i).toLongLong();
    }
    return extents;
}

void DataStats::Extents::merge(const Extents &other)
{
    if (other.empty)
        return;
    if (empty) {
        *this = other;
        return;
    }
    smallestPlace = std::min(smallestPlace, other.smallestPlace);
    largestPlace = std::max(largestPlace, other.largestPlace);
    for (std::size_t i = 0; i < smallest.size(); ++i) {
        smallest[i] = std::min(smallest[i], other.smallest[i]);
        largest[i] = std::max(largest[i], other.largest[i]);
    }
    longestNames += other.longestNames;
    std::stable_sort(longestNames.begin(), longestNames.end(),
                     [](const QString &a, const QString &b) { return a.size() > b.size(); });
    longestNames = longestNames.mid(0, 8);
}

namespace {

/// The 33 columns of table Stats under the alias s, in table order.
QString statsColumns()
{
    QStringList columns;
    for (int c = 0; c < StatsColumns::Count; ++c)
        columns << QStringLiteral("s.") + StatsColumns::quoted(c);
    return columns.join(u", ");
}

/// The first text past every text that starts with \a start, in the order of code points
/// (which is the byte order of UTF-8); empty when there is none.
QString pastEveryStart(const QString &start)
{
    std::u32string text = start.toStdU32String();
    while (!text.empty()) {
        char32_t &last = text.back();
        if (last < 0x10FFFF) {
            ++last;
            // A text never holds surrogates: the next code point is the first one past them.
            if (last == 0xD800)
                last = 0xE000;
            return QString::fromStdU32String(text);
        }
        text.pop_back();
    }
    return {};
}

} // namespace

QString DataStats::foldedName(const QString &nom)
{
    return nom.toCaseFolded();
}

Result<std::vector<DataStats::PlayerRow>>
DataStats::rankedRows(Ranking order, Direction direction, const std::optional<RankingKey> &key,
                      const QString &nameStart, int limit)
{
    const QString what = QStringLiteral("cannot read the ranking");
    const bool forward = direction == Direction::Forward;
    const bool byKills = order == Ranking::Kills;
    const QString start = foldedName(nameStart);
    const QString past = pastEveryStart(start);
    const QString orderBy = byKills
        ? (forward ? QStringLiteral(R"(s."Kills" DESC, s."Place")")
                   : QStringLiteral(R"(s."Kills", s."Place" DESC)"))
        : (forward ? QStringLiteral(R"(s."Place")") : QStringLiteral(R"(s."Place" DESC)"));
    QSqlQuery query(database());
    query.setForwardOnly(true);

    // A name's players are found in one of two ways. Few of them: through the index of the
    // folded names, each one's row through the index of the names, sorted. Many: the ranking is
    // read in its order through its own index and each name folded, which finds a page of them
    // after reading about as many rows as there are players for each one that matches.
    enum class Way { All, ThroughKeys, InOrder };
    Way way = Way::All;
    if (!start.isEmpty()) {
        QString count =
            QStringLiteral(R"(SELECT COUNT(*) FROM (SELECT 1 FROM "Players" WHERE )"
                           R"("Folded" >= ?%1 LIMIT %2) AS m)")
                .arg(past.isEmpty() ? QString() : QStringLiteral(R"( AND "Folded" < ?)"))
                .arg(fewPlayers + 1);
        query.prepare(count);
        query.addBindValue(start);
        if (!past.isEmpty())
            query.addBindValue(past);
        if (!query.exec() || !query.next())
            return fail(what, query.lastError().text());
        way = query.value(0).toInt() > fewPlayers ? Way::InOrder : Way::ThroughKeys;
        query.finish();
    }

    std::vector<PlayerRow> rows;
    int readInOrder = 0;
    // Reads the rows "WHERE where" gives, in the order of the page, until there are limit.
    // Only ranked rows are listed: where says "Place > ?" itself when it bounds the places from
    // below, as SQLite seeks an index by one lower bound of a column only.
    auto read = [&](const QString &where, const QVariantList &values) {
        const bool throughKeys = way == Way::ThroughKeys;
        QStringList conditions;
        QVariantList bound;
        if (!where.contains(QLatin1String(R"(s."Place" > ?)")))
            conditions << QStringLiteral(R"(s."Place" > 0)");
        if (throughKeys) {
            conditions << QStringLiteral(R"(s."Nom" = p."Nom")")
                       << QStringLiteral(R"(p."Folded" >= ?)");
            bound << start;
            if (!past.isEmpty()) {
                conditions << QStringLiteral(R"(p."Folded" < ?)");
                bound << past;
            }
        }
        if (!where.isEmpty())
            conditions << where;
        bound << values;
        const int wanted =
            way == Way::InOrder ? inOrderBudget - readInOrder : limit - int(rows.size());
        query.prepare(
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4 LIMIT %5")
                .arg(throughKeys ? QStringLiteral(R"(p."Id", )") + statsColumns() : statsColumns(),
                     throughKeys ? QStringLiteral(R"("Players" AS p CROSS JOIN "Stats" AS s)")
                                 : QStringLiteral(R"("Stats" AS s)"),
                     conditions.join(QStringLiteral(" AND ")), orderBy, QString::number(wanted)));
        for (const QVariant &value : std::as_const(bound))
            query.addBindValue(value);
        if (!query.exec())
            return false;
        const int first = throughKeys ? 1 : 0;
        while (int(rows.size()) < limit && query.next()) {
            PlayerRow row;
            row.nom = query.value(first + StatsColumns::Nom).toString();
            if (way == Way::InOrder) {
                ++readInOrder;
                if (!foldedName(row.nom).startsWith(start))
                    continue;
            }
            if (throughKeys)
                row.id = query.value(0).toLongLong();
            row.place = query.value(first + StatsColumns::Place).toLongLong();
            for (int c = 0; c < StatsColumns::CounterCount; ++c)
                row.counters[std::size_t(c)] =
                    query.value(first + StatsColumns::FirstCounter + c).toLongLong();
            rows.push_back(std::move(row));
        }
        const bool ok = !query.lastError().isValid();
        query.finish();
        return ok;
    };
    auto readAll = [&] {
        if (!key)
            return read({}, {});
        if (!byKills)
            return read(forward ? QStringLiteral(R"(s."Place" > ?)")
                                : QStringLiteral(R"(s."Place" < ?)"),
                        {forward ? std::max<qint64>(key->place, 0) : key->place});
        if (way == Way::ThroughKeys)
            // The players of a name are few: one condition on the whole key.
            return read(
                forward ? QStringLiteral(R"((s."Kills" < ? OR (s."Kills" = ? AND s."Place" > ?)))")
                        : QStringLiteral(R"((s."Kills" > ? OR (s."Kills" = ? AND s."Place" < ?)))"),
                {key->kills, key->kills, key->place});
        // Each half of the key on its own, so that both read a range of the index by kills:
        // first the rest of the players with the key's kills, then those beyond.
        if (!read(forward ? QStringLiteral(R"(s."Kills" = ? AND s."Place" > ?)")
                          : QStringLiteral(R"(s."Kills" = ? AND s."Place" < ?)"),
                  {key->kills, forward ? std::max<qint64>(key->place, 0) : key->place}))
            return false;
        if (int(rows.size()) >= limit || (way == Way::InOrder && readInOrder >= inOrderBudget))
            return true;
        return read(forward ? QStringLiteral(R"(s."Kills" < ?)")
                            : QStringLiteral(R"(s."Kills" > ?)"),
                    {key->kills});
    };
    if (!readAll())
        return fail(what, query.lastError().text());
    // The players of the name lie far apart in this part of the ranking: through the keys after
    // all, which costs no more than their number.
    if (way == Way::InOrder && int(rows.size()) < limit && readInOrder >= inOrderBudget) {
        rows.clear();
        way = Way::ThroughKeys;
        if (!readAll())
            return fail(what, query.lastError().text());
    }
    return rows;
}

Result<> DataStats::addPlayerIds(std::vector<PlayerRow> &rows)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral(R"(SELECT "Id" FROM "Players" WHERE "Folded" = ?)")))
        return fail(QStringLiteral("cannot read the players"), query.lastError().text());
    for (PlayerRow &row : rows) {
        if (row.id != 0)
            continue;
        query.bindValue(0, foldedName(row.nom));
        if (!query.exec())
            return fail(QStringLiteral("cannot read the players"), query.lastError().text());
        row.id = query.next() ? query.value(0).toLongLong() : 0;
        query.finish();
    }
    return {};
}

Result<DataStats::RankingPage> DataStats::rankingPage(const PageRequest &request)
{
    using From = PageRequest::From;
    const bool forward = request.from == From::First || request.from == From::After;
    std::optional<RankingKey> key;
    if (request.from == From::After || request.from == From::Before)
        key = request.key;
    const int size = std::max(1, request.size);
    // One row more than the page tells whether the list goes on that way.
    Result<std::vector<PlayerRow>> rows =
        rankedRows(request.order, forward ? Direction::Forward : Direction::Backward, key,
                   request.nameStart, size + 1);
    if (!rows)
        return passOn(rows);
    RankingPage page;
    page.rows = std::move(rows).value();
    const bool more = int(page.rows.size()) > size;
    if (more)
        page.rows.pop_back();
    if (!forward)
        std::reverse(page.rows.begin(), page.rows.end());

    bool behind = false;
    if (key) {
        RankingKey boundary =
            page.rows.empty() ? *key : (forward ? page.rows.front().key() : page.rows.back().key());
        // Past the end, the key's own row lies behind the page as well.
        if (page.rows.empty())
            boundary.place += forward ? 1 : -1;
        const Result<std::vector<PlayerRow>> beyond =
            rankedRows(request.order, forward ? Direction::Backward : Direction::Forward, boundary,
                       request.nameStart, 1);
        if (!beyond)
            return passOn(beyond);
        behind = !beyond->empty();
    }
    page.hasAfter = forward ? more : behind;
    page.hasBefore = forward ? behind : more;
    if (const Result<> ids = addPlayerIds(page.rows); !ids)
        return passOn(ids);
    return page;
}

Result<std::optional<DataStats::PlayerStanding>> DataStats::player(qint64 id)
{
    const QString what = QStringLiteral("cannot read the player");
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(R"(SELECT %1 FROM "Players" AS p CROSS JOIN "Stats" AS s )"
                                 R"(WHERE p."Id" = ? AND s."Nom" = p."Nom")")
                      .arg(statsColumns()));
    query.addBindValue(id);
    if (!query.exec())
        return fail(what, query.lastError().text());
    if (!query.next())
        return std::optional<PlayerStanding>();
    PlayerStanding standing;
    PlayerRow &row = standing.row;
    row.id = id;
    row.place = query.value(StatsColumns::Place).toLongLong();
    row.nom = query.value(StatsColumns::Nom).toString();
    for (int c = 0; c < StatsColumns::CounterCount; ++c)
        row.counters[std::size_t(c)] = query.value(StatsColumns::FirstCounter + c).toLongLong();
    query.finish();
    if (row.place <= 0)
        return std::optional<PlayerStanding>(std::move(standing));

    // The place by kills is one more than the ranked players ahead: those with more kills, and
    // those with as many and a better place. The first are summed from the number of ranked
    // players of each kill count; of the second, the shorter side is counted, as a count steps
    // through the index by kills row by row.
    const Result<const std::map<qint64, qint64> *> counts = rankedByKills();
    if (!counts)
        return passOn(counts);
    const qint64 kills = row.kills();
    qint64 ahead = 0;
    for (auto it = (*counts)->upper_bound(kills); it != (*counts)->end(); ++it)
        ahead += it->second;
    qint64 ranked = 0;
    for (const auto &[count, players] : **counts)
        ranked += players;
    const qint64 sameKills = (*counts)->count(kills) ? (*counts)->at(kills) : 1;
    // Those of the same kills with a better place, or, for a player in the lower half by place,
    // those with a worse one, taken from them all.
    const bool countAhead = row.place <= ranked / 2;
    query.prepare(QStringLiteral(R"(SELECT COUNT(*) FROM "Stats" WHERE "Kills" = ? AND %1)")
                      .arg(countAhead ? QStringLiteral(R"("Place" > 0 AND "Place" < ?)")
                                      : QStringLiteral(R"("Place" > ?)")));
    query.addBindValue(kills);
    query.addBindValue(row.place);
    if (!query.exec() || !query.next())
        return fail(what, query.lastError().text());
    const qint64 counted = query.value(0).toLongLong();
    ahead += countAhead ? counted : sameKills - 1 - counted;
    standing.killsPlace = ahead + 1;
    return std::optional<PlayerStanding>(std::move(standing));
}

Result<> DataStats::readKillsStandings()
{
    // A server keeps nothing to read ahead: each player's page counts afresh there.
    if (m_postgres)
        return {};
    if (const Result<const std::map<qint64, qint64> *> counts = rankedByKills(); !counts)
        return Result<>::failure(counts.reason());
    return {};
}

Result<const std::map<qint64, qint64> *> DataStats::rankedByKills()
{
    const QString what = QStringLiteral("cannot read the ranking");
    QSqlQuery query(database());
    query.setForwardOnly(true);
    // SQLite says when another connection changed the database: until then the counts hold. A
    // server says no such thing, and other machines write to it at any time: counted each time.
    qint64 version = -1;
    if (!m_postgres) {
        if (!query.exec(QStringLiteral("PRAGMA data_version")) || !query.next())
            return fail(what, query.lastError().text());
        version = query.value(0).toLongLong();
        query.finish();
        if (m_rankedByKills && m_rankedByKillsVersion == version)
            return &*m_rankedByKills;
    }
    std::map<qint64, qint64> counts;
    if (!query.exec(QStringLiteral(R"(SELECT "Kills", COUNT(*) FROM "Stats" WHERE "Place" > 0 )"
                                   R"(GROUP BY "Kills")")))
        return fail(what, query.lastError().text());
    while (query.next())
        counts.emplace(query.value(0).toLongLong(), query.value(1).toLongLong());
    if (query.lastError().isValid())
        return fail(what, query.lastError().text());
    m_rankedByKills = std::move(counts);
    m_rankedByKillsVersion = version;
    return &*m_rankedByKills;
}

Result<qint64> DataStats::lastPlace()
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral(R"(SELECT COALESCE(MAX("Place"), 0) FROM "Stats")"))
        || !query.next())
        return fail(QStringLiteral("cannot read the ranking"), query.lastError().text());
    return query.value(0).toLongLong();
}

namespace {
const QString lastUpdateKey = QStringLiteral("LastUpdate");
}

Result<std::optional<QDateTime>> DataStats::lastUpdate()
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral(R"(SELECT "Value" FROM "Meta" WHERE "Key" = ?)"));
    query.addBindValue(lastUpdateKey);
    if (!query.exec()) {
        // A database written before updates recorded their time has no such table yet.
        if (!database().tables().contains(QLatin1String("Meta"), Qt::CaseInsensitive))
            return std::optional<QDateTime>();
        return fail(QStringLiteral("cannot read the time of the last update"),
                    query.lastError().text());
    }
    if (!query.next())
        return std::optional<QDateTime>();
    const QDateTime when = QDateTime::fromString(query.value(0).toString(), Qt::ISODateWithMs);
    if (!when.isValid())
        return std::optional<QDateTime>();
    return std::optional<QDateTime>(when);
}

Result<> DataStats::setLastUpdate(const QDateTime &when)
{
    const QString what = QStringLiteral("cannot record the time of the update");
    QSqlQuery query(database());
    query.prepare(QStringLiteral(R"(DELETE FROM "Meta" WHERE "Key" = ?)"));
    query.addBindValue(lastUpdateKey);
    if (!query.exec())
        return fail(what, query.lastError().text());
    query.prepare(QStringLiteral(R"(INSERT INTO "Meta" ("Key", "Value") VALUES (?, ?))"));
    query.addBindValue(lastUpdateKey);
    query.addBindValue(when.toUTC().toString(Qt::ISODateWithMs));
    if (!query.exec())
        return fail(what, query.lastError().text());
    return {};
}

namespace {

/// Runs \a statement, calling \a f on each row as it is read; the error, if any.
QString forEachRow(const QSqlDatabase &database, const QString &statement,
                   const std::function<void(const QSqlQuery &)> &f)
{
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.exec(statement))
        return query.lastError().text();
    while (query.next())
        f(query);
    return query.lastError().isValid() ? query.lastError().text() : QString();
}

} // namespace

Result<> DataStats::forEachRankingRow(Ranking order,
                                      const std::function<void(const PlayerRow &)> &f)
{
    PlayerRow row;
    const QString error =
        forEachRow(database(), rankingQuery(order), [&row, &f](const QSqlQuery &q) {
            row.place = q.value(StatsColumns::Place).toLongLong();
            row.nom = q.value(StatsColumns::Nom).toString();
            for (std::size_t i = 0; i < row.counters.size(); ++i)
                row.counters[i] = q.value(StatsColumns::FirstCounter + int(i)).toLongLong();
            f(row);
        });
    if (!error.isEmpty())
        return fail(QStringLiteral("cannot read the ranking"), error);
    return {};
}

Result<> DataStats::forEachRanked(int column, const std::function<void(const RankedValues &)> &f)
{
    if (column < StatsColumns::FirstCounter || column >= StatsColumns::Count)
        return fail(QStringLiteral("cannot read the ranking"),
                    QStringLiteral("column %1 is no counter").arg(column));
    RankedValues values;
    const QString error = forEachRow(
        database(),
        QStringLiteral(R"(SELECT "Place", "Kills", "Deaths", %1 FROM "Stats" WHERE "Place" > 0)")
            .arg(StatsColumns::quoted(column)),
        [&values, &f](const QSqlQuery &q) {
            values.place = q.value(0).toLongLong();
            values.kills = q.value(1).toLongLong();
            values.deaths = q.value(2).toLongLong();
            values.value = q.value(3).toLongLong();
            f(values);
        });
    if (!error.isEmpty())
        return fail(QStringLiteral("cannot read the ranking"), error);
    return {};
}

Result<std::vector<DataStats::PlayerRow>> DataStats::rowsAt(const std::vector<qint64> &places)
{
    std::vector<PlayerRow> rows;
    if (places.empty())
        return rows;
    QStringList numbers;
    for (const qint64 place : places)
        numbers << QString::number(place);
    std::map<qint64, PlayerRow> found;
    const QString error =
        forEachRow(database(),
                   QStringLiteral(R"(SELECT %1 FROM "Stats" AS s WHERE s."Place" IN (%2))")
                       .arg(statsColumns(), numbers.join(u',')),
                   [&found](const QSqlQuery &q) {
                       PlayerRow row;
                       row.place = q.value(StatsColumns::Place).toLongLong();
                       row.nom = q.value(StatsColumns::Nom).toString();
                       for (std::size_t i = 0; i < row.counters.size(); ++i)
                           row.counters[i] =
                               q.value(StatsColumns::FirstCounter + int(i)).toLongLong();
                       found.emplace(row.place, std::move(row));
                   });
    if (!error.isEmpty())
        return fail(QStringLiteral("cannot read the ranking"), error);
    for (const qint64 place : places)
        if (const auto it = found.find(place); it != found.end() && place > 0)
            rows.push_back(it->second);
    if (const Result<> ids = addPlayerIds(rows); !ids)
        return passOn(ids);
    return rows;
}

Result<QString> DataStats::changeMark()
{
    if (!m_postgres) {
        QSqlQuery query(database());
        if (!query.exec(QStringLiteral("PRAGMA data_version")) || !query.next())
            return fail(QStringLiteral("cannot read the ranking"), query.lastError().text());
        return query.value(0).toString();
    }
    const Result<std::optional<QDateTime>> updated = lastUpdate();
    if (!updated)
        return passOn(updated);
    const Result<qint64> ranked = lastPlace();
    if (!ranked)
        return passOn(ranked);
    return QStringLiteral("%1 %2")
        .arg(*updated ? (*updated)->toString(Qt::ISODateWithMs) : QString())
        .arg(*ranked);
}

Result<> DataStats::forEachName(const std::function<void(const QString &)> &f)
{
    const QString error =
        forEachRow(database(), QStringLiteral("SELECT \"Nom\" FROM \"Stats\""),
                   [&f](const QSqlQuery &query) { f(query.value(0).toString()); });
    if (!error.isEmpty())
        return fail(QStringLiteral("cannot read the ranking"), error);
    return {};
}

Result<std::optional<DataStats::PlayerRow>> DataStats::playerRow(qint64 id)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(R"(SELECT %1 FROM "Players" AS p CROSS JOIN "Stats" AS s )"
                                 R"(WHERE p."Id" = ? AND s."Nom" = p."Nom")")
                      .arg(statsColumns()));
    query.addBindValue(id);
    if (!query.exec())
        return fail(QStringLiteral("cannot read the player"), query.lastError().text());
    if (!query.next())
        return std::optional<PlayerRow>();
    PlayerRow row;
    row.id = id;
    row.place = query.value(StatsColumns::Place).toLongLong();
    row.nom = query.value(StatsColumns::Nom).toString();
    for (int c = 0; c < StatsColumns::CounterCount; ++c)
        row.counters[std::size_t(c)] = query.value(StatsColumns::FirstCounter + c).toLongLong();
    return std::optional<PlayerRow>(std::move(row));
}

Result<> DataStats::forEachKillsPlace(const std::function<void(qint64 kills, qint64 place)> &f)
{
    const QString what = QStringLiteral("cannot read the ranking");
    const QString sql = QStringLiteral(
        R"(SELECT "Kills", "Place" FROM "Stats" WHERE "Place" > 0 ORDER BY "Kills" DESC, "Place")");
    if (sqlite3 *db = m_postgres ? nullptr : handle()) {
        SqliteStatement statement(db, sql);
        if (!statement.isValid())
            return fail(what, statement.errorString());
        for (;;) {
            if (!statement.step())
                return fail(what, statement.errorString());
            if (!statement.hasRow())
                return {};
            f(statement.columnInt(0), statement.columnInt(1));
        }
    }
    const QString error = forEachRow(database(), sql, [&f](const QSqlQuery &q) {
        f(q.value(0).toLongLong(), q.value(1).toLongLong());
    });
    if (!error.isEmpty())
        return fail(what, error);
    return {};
}
