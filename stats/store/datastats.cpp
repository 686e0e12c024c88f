#include "datastats.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QStringList>
#include <QVariant>

#include <atomic>

namespace {

QString quoted(std::string_view column)
{
    return QLatin1Char('"') + QString::fromUtf8(column.data(), qsizetype(column.size()))
        + QLatin1Char('"');
}

QString counterColumnList()
{
    QStringList columns;
    for (int c = StatsColumns::FirstCounter; c < StatsColumns::Count; ++c)
        columns << quoted(StatsColumns::names[std::size_t(c)]);
    return columns.join(QStringLiteral(", "));
}

QString nextConnectionName()
{
    // The first store of a process is the program's BdStats; tests open several side by side.
    static std::atomic<int> count {0};
    const int n = count++;
    return n == 0 ? QStringLiteral("BdStats") : QStringLiteral("BdStats%1").arg(n);
}

} // namespace

DataStats::DataStats() : m_connectionName(nextConnectionName()) { }

DataStats::~DataStats()
{
    m_rsClass.reset();
    m_rsClass2.reset();
    m_insertPlayer.reset();
    m_addToPlayer.reset();
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase::database(m_connectionName, false).close();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

bool DataStats::fail(const QString &what, const QString &reason)
{
    m_error = QStringLiteral("%1 (%2): %3").arg(what, QDir::toNativeSeparators(m_path), reason);
    return false;
}

bool DataStats::open(const QString &path)
{
    m_path = path;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return fail(QStringLiteral("cannot open the database"),
                    QStringLiteral("the Qt SQLite driver is not installed"));
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return fail(QStringLiteral("cannot open the database"), QStringLiteral("not a file"));
    if (!QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("cannot open the database"),
                    QStringLiteral("cannot create the folder %1").arg(info.absolutePath()));

    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
        ? QSqlDatabase::database(m_connectionName, false)
        : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
    if (!db.open())
        return fail(QStringLiteral("cannot open the database"), db.lastError().text());
    if (!createSchema()) {
        db.close();
        return false;
    }
    return true;
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

bool DataStats::createSchema()
{
    QStringList columns;
    for (int c = 0; c < StatsColumns::Count; ++c) {
        const QString name = quoted(StatsColumns::names[std::size_t(c)]);
        columns << (c == StatsColumns::Nom ? name + QStringLiteral(" TEXT NOT NULL DEFAULT ''")
                                           : name + QStringLiteral(" INTEGER NOT NULL DEFAULT 0"));
    }
    const QStringList statements = {
        QStringLiteral("CREATE TABLE IF NOT EXISTS Stats (%1)").arg(columns.join(u", ")),
        QStringLiteral("CREATE VIEW IF NOT EXISTS Class AS SELECT * FROM Stats "
                       "ORDER BY Kills DESC, Place"),
        QStringLiteral("CREATE VIEW IF NOT EXISTS Class2 AS SELECT * FROM Stats ORDER BY Place"),
        // How far each log file has been counted, committed with that file's counts.
        QStringLiteral("CREATE TABLE IF NOT EXISTS LogProgress (File TEXT PRIMARY KEY, "
                       "ByteOffset INTEGER NOT NULL, HeadDigest BLOB NOT NULL, "
                       "HeadLength INTEGER NOT NULL)"),
    };
    QSqlQuery query(database());
    for (const QString &statement : statements) {
        if (!query.exec(statement))
            return fail(QStringLiteral("cannot create the tables"), query.lastError().text());
    }
    return true;
}

QSqlQueryModel *DataStats::recordSource(const QString &dataMember)
{
    std::unique_ptr<QSqlQueryModel> *set = nullptr;
    QString text;
    if (dataMember.compare(QLatin1String("Class2"), Qt::CaseInsensitive) == 0) {
        set = &m_rsClass2;
        text = QStringLiteral("select * from class2");
    } else if (dataMember.compare(QLatin1String("Class"), Qt::CaseInsensitive) == 0) {
        set = &m_rsClass;
        text = QStringLiteral("select * from class");
    }
    if (!set || !isOpen())
        return nullptr;
    if (!*set)
        *set = std::make_unique<QSqlQueryModel>();
    if ((*set)->query().isActive() || (*set)->rowCount() > 0)
        return set->get();
    (*set)->setQuery(QSqlQuery(text, database()));
    if ((*set)->lastError().isValid()) {
        fail(QStringLiteral("cannot read the ranking"), (*set)->lastError().text());
        return nullptr;
    }
    return set->get();
}

void DataStats::closeRecordSets()
{
    for (auto *set : {&m_rsClass, &m_rsClass2}) {
        if (*set)
            (*set)->clear();
    }
}

bool DataStats::beginTransaction()
{
    if (!database().transaction())
        return fail(QStringLiteral("cannot start a transaction"), database().lastError().text());
    return true;
}

bool DataStats::commit()
{
    if (!database().commit())
        return fail(QStringLiteral("cannot commit"), database().lastError().text());
    return true;
}

void DataStats::rollback()
{
    database().rollback();
}

std::optional<QList<DataStats::PlayerRow>> DataStats::players()
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT rowid, Nom FROM Stats ORDER BY rowid"))) {
        fail(QStringLiteral("cannot read the players"), query.lastError().text());
        return std::nullopt;
    }
    QList<PlayerRow> rows;
    while (query.next())
        rows.append({query.value(0).toLongLong(), query.value(1).toString()});
    return rows;
}

std::optional<qint64> DataStats::insertPlayer(const QString &nom, const Counters &counters)
{
    if (!m_insertPlayer) {
        QString placeholders;
        for (int i = 0; i < StatsColumns::CounterCount; ++i)
            placeholders += QStringLiteral(", ?");
        m_insertPlayer = std::make_unique<QSqlQuery>(database());
        if (!m_insertPlayer->prepare(QStringLiteral("INSERT INTO Stats (Nom, %1) VALUES (?%2)")
                                         .arg(counterColumnList(), placeholders))) {
            fail(QStringLiteral("cannot add a player"), m_insertPlayer->lastError().text());
            m_insertPlayer.reset();
            return std::nullopt;
        }
    }
    m_insertPlayer->bindValue(0, nom);
    for (int i = 0; i < StatsColumns::CounterCount; ++i)
        m_insertPlayer->bindValue(i + 1, counters[std::size_t(i)]);
    if (!m_insertPlayer->exec()) {
        fail(QStringLiteral("cannot add a player"), m_insertPlayer->lastError().text());
        return std::nullopt;
    }
    return m_insertPlayer->lastInsertId().toLongLong();
}

bool DataStats::addToPlayer(qint64 rowId, const Counters &delta)
{
    if (!m_addToPlayer) {
        QStringList sets;
        for (int c = StatsColumns::FirstCounter; c < StatsColumns::Count; ++c) {
            const QString name = quoted(StatsColumns::names[std::size_t(c)]);
            sets << name + QStringLiteral(" = ") + name + QStringLiteral(" + ?");
        }
        m_addToPlayer = std::make_unique<QSqlQuery>(database());
        if (!m_addToPlayer->prepare(
                QStringLiteral("UPDATE Stats SET %1 WHERE rowid = ?").arg(sets.join(u", ")))) {
            fail(QStringLiteral("cannot update a player"), m_addToPlayer->lastError().text());
            m_addToPlayer.reset();
            return false;
        }
    }
    for (int i = 0; i < StatsColumns::CounterCount; ++i)
        m_addToPlayer->bindValue(i, delta[std::size_t(i)]);
    m_addToPlayer->bindValue(StatsColumns::CounterCount, rowId);
    if (!m_addToPlayer->exec())
        return fail(QStringLiteral("cannot update a player"), m_addToPlayer->lastError().text());
    if (m_addToPlayer->numRowsAffected() != 1)
        return fail(QStringLiteral("cannot update a player"),
                    QStringLiteral("row %1 has gone").arg(rowId));
    return true;
}

int DataStats::rowCount()
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM Stats")) || !query.next()) {
        fail(QStringLiteral("cannot count the players"), query.lastError().text());
        return -1;
    }
    return query.value(0).toInt();
}

std::optional<DataStats::FileProgress> DataStats::fileProgress(const QString &fileName)
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral(
        "SELECT ByteOffset, HeadDigest, HeadLength FROM LogProgress WHERE File = ?"));
    query.addBindValue(fileName);
    if (!query.exec()) {
        fail(QStringLiteral("cannot read the log progress"), query.lastError().text());
        return std::nullopt;
    }
    if (!query.next())
        return FileProgress {};
    return FileProgress {query.value(0).toLongLong(), query.value(1).toByteArray(),
                         query.value(2).toLongLong()};
}

bool DataStats::setFileProgress(const QString &fileName, const FileProgress &progress)
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO LogProgress "
                                 "(File, ByteOffset, HeadDigest, HeadLength) VALUES (?, ?, ?, ?)"));
    query.addBindValue(fileName);
    query.addBindValue(progress.offset);
    query.addBindValue(progress.headDigest);
    query.addBindValue(progress.headLength);
    if (!query.exec())
        return fail(QStringLiteral("cannot record the log progress"), query.lastError().text());
    return true;
}

bool DataStats::removeFileProgress(const QString &fileName)
{
    QSqlQuery query(database());
    query.prepare(QStringLiteral("DELETE FROM LogProgress WHERE File = ?"));
    query.addBindValue(fileName);
    if (!query.exec())
        return fail(QStringLiteral("cannot record the log progress"), query.lastError().text());
    return true;
}

bool DataStats::rankPlayers()
{
    // Ties keep table order (rowid), so the same data always ranks the same way.
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral(
            "UPDATE Stats SET Place = r.n FROM (SELECT rowid AS id, ROW_NUMBER() OVER "
            "(ORDER BY TotalClass DESC, rowid) AS n FROM Stats) AS r WHERE Stats.rowid = r.id")))
        return fail(QStringLiteral("cannot rank the players"), query.lastError().text());
    return true;
}

bool DataStats::clearStats()
{
    if (!beginTransaction())
        return false;
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("DELETE FROM Stats"))) {
        const QString reason = query.lastError().text();
        rollback();
        return fail(QStringLiteral("cannot empty the statistics"), reason);
    }
    return commit();
}
