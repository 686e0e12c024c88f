// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/datastats.h"

#include "stats/store/mendplan.h"
#include "stats/store/postgresaddress.h"
#include "stats/store/postgresengine.h"
#include "stats/store/rankingsource.h"
#include "stats/store/sqliteengine.h"
#include "stats/store/storeschema.h"
#include "stats/store/tolvanesettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QThread>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

QString nextConnectionName()
{
    // The first store of a process is the program's BdStats; tests open several side by side.
    static std::atomic<int> count {0};
    const int n = count++;
    return n == 0 ? QStringLiteral("BdStats") : QStringLiteral("BdStats%1").arg(n);
}

using StoreSchema::Engine;
using StoreSchema::nomIndex;

/// Prepares \a statement on \a query and runs it with \a values.
bool run(QSqlQuery &query, const QString &statement, const QVariantList &values)
{
    query.prepare(statement);
    for (const QVariant &value : values)
        query.addBindValue(value);
    return query.exec();
}

/// The row of table Stats whose 33 columns \a query holds from its column \a first on.
DataStats::PlayerRow statsRow(const QSqlQuery &query, int first = 0)
{
    DataStats::PlayerRow row;
    row.place = query.value(first + StatsColumns::Place).toLongLong();
    row.nom = query.value(first + StatsColumns::Nom).toString();
    for (int c = 0; c < StatsColumns::CounterCount; ++c)
        row.counters[std::size_t(c)] =
            query.value(first + StatsColumns::FirstCounter + c).toLongLong();
    return row;
}

} // namespace

DataStats::DataStats()
    : m_connectionName(nextConnectionName()),
      m_host(TolvaneSettings::defaultValue(TolvaneSettings::Key::Host)),
      m_engine(std::make_unique<SqliteEngine>(m_connectionName, QString()))
{ }

DataStats::~DataStats()
{
    m_kept = {};
    m_rsClass.reset();
    m_rsClass2.reset();
    m_engine.reset();
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase::database(m_connectionName, false).close();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
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
    m_kept = {};
    m_path = path;
    m_access = access;
    m_mergedOnOpen = 0;
    const bool onServer = PostgresAddress::isPostgres(path);
    // The password an address may hold is used to connect, and never shown.
    if (onServer)
        m_path = PostgresAddress::withoutPassword(path);
    const QString shown = onServer ? m_path : QDir::toNativeSeparators(m_path);
    setShown(shown);
    // A store that failed to open stays one on no file at all, whose operations fail.
    m_engine = std::make_unique<SqliteEngine>(m_connectionName, shown);
    if (isAddress(path) && !onServer)
        return fail(QStringLiteral("cannot open the database"),
                    QStringLiteral("of the databases on a server only PostgreSQL's, "
                                   "postgresql://..., are supported; give one, or a "
                                   "file"));
    std::unique_ptr<StoreEngine> server;
    if (onServer)
        server = std::make_unique<PostgresEngine>(m_connectionName, shown);
    if (const Result<> opened = (server ? *server : *m_engine).open(path, access, m_host); !opened)
        return opened;
    if (server)
        m_engine = std::move(server);
    return access == Access::ReadOnly ? Result<> {} : mendOnOpen();
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
    return {};
}

bool DataStats::isOpen() const
{
    return database().isOpen();
}

QSqlDatabase DataStats::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

Result<bool> DataStats::needsMend()
{
    QSqlQuery query(database());
    if (!query.exec(
            QStringLiteral(
                R"(SELECT %1, (SELECT COUNT(*) FROM "Stats"), (SELECT COUNT(*) FROM "Players"))")
                .arg(m_engine->dialect().nomIndexed))
        || !query.next())
        return fail(QStringLiteral("cannot read the players"), query);
    return query.value(0).toInt() == 0
        || query.value(1).toLongLong() != query.value(2).toLongLong();
}

Result<int> DataStats::mendPlayers()
{
    const QString what = QStringLiteral("cannot mend the players");
    if (!holdsWriterLock())
        return fail(what, QStringLiteral("another program is writing"), ::Failure::Kind::Busy);
    // The rows and keys compared below are those of every count committed, including those a
    // run that stopped before its ranking kept aside.
    if (const Result<> settled = m_engine->settleCounts(); !settled)
        return passOn(settled);
    const Result<bool> mend = needsMend();
    if (!mend)
        return passOn(mend);
    if (!*mend)
        return 0;
    if (const Result<> begun = beginTransaction(); !begun)
        return passOn(begun);
    auto abandon = [&](const QSqlQuery &query) -> Result<int> {
        const Failure failure = fail(what, query);
        rollback();
        return failure;
    };

    QSqlQuery query(database());
    query.setForwardOnly(true);
    QHash<QString, qint64> keyOfNom;
    if (!query.exec(QStringLiteral(R"(SELECT "Id", "Nom" FROM "Players")")))
        return abandon(query);
    while (query.next())
        keyOfNom.insert(query.value(1).toString(), query.value(0).toLongLong());
    const QString row = m_engine->dialect().rowId;
    QVariantList rows;
    QStringList noms;
    if (!query.exec(QStringLiteral(R"(SELECT %1, "Nom" FROM "Stats" ORDER BY %2)")
                        .arg(row, m_engine->dialect().storedOrder)))
        return abandon(query);
    while (query.next()) {
        rows << query.value(0);
        noms << query.value(1).toString();
    }
    query.finish();
    const MendPlan plan = MendPlan::of(noms, keyOfNom);

    const QStringList counters = StatsColumns::quotedCounters();
    QStringList sums;
    for (const QString &column : counters)
        sums << QStringLiteral(R"("Stats".%1 + o.%1)").arg(column);
    QSqlQuery addInto(database());
    QSqlQuery remove(database());
    if (!addInto.prepare(QStringLiteral(R"(UPDATE "Stats" SET (%1) = (SELECT %2 FROM "Stats" AS o )"
                                        R"(WHERE o.%3 = ?) WHERE %3 = ?)")
                             .arg(counters.join(u", "), sums.join(u", "), row)))
        return abandon(addInto);
    if (!remove.prepare(QStringLiteral(R"(DELETE FROM "Stats" WHERE %1 = ?)").arg(row)))
        return abandon(remove);
    for (const MendPlan::Merge &merge : plan.merges) {
        addInto.bindValue(0, rows[qsizetype(merge.from)]);
        addInto.bindValue(1, rows[qsizetype(merge.into)]);
        if (!addInto.exec())
            return abandon(addInto);
        remove.bindValue(0, rows[qsizetype(merge.from)]);
        if (!remove.exec())
            return abandon(remove);
    }
    const Result<> keys = m_engine->mendKeys(plan, noms);
    if (!keys) {
        rollback();
        return passOn(keys);
    }
    if (const Result<> committed = commit(); !committed)
        return passOn(committed);
    return int(plan.merges.size());
}

Result<> DataStats::lockWriter(std::chrono::milliseconds bound,
                               const std::function<void(std::chrono::milliseconds)> &whileWaiting)
{
    QElapsedTimer waited;
    waited.start();
    while (true) {
        const Result<bool> taken = m_engine->tryLockWriter();
        if (!taken)
            return fail(QStringLiteral("cannot take the writer lock"), taken.failure());
        if (*taken)
            return {};
        const auto elapsed = std::chrono::milliseconds(waited.elapsed());
        if (elapsed >= bound) {
            const StoreEngine::Holder holder = m_engine->writerLockHolder();
            const QString seconds = QString::number(double(elapsed.count()) / 1000, 'f', 1);
            const ::Failure why = fail(QStringLiteral("another update is writing"),
                                       QStringLiteral("%1 still holds the database after %2 s")
                                           .arg(holder.text, seconds),
                                       ::Failure::Kind::LockTimeout)
                                      .why;
            return Result<>::failure(why.withValues(
                {holder.pid > 0 ? QString::number(holder.pid) : QString(), seconds}));
        }
        if (whileWaiting)
            whileWaiting(elapsed);
        QThread::msleep(std::min<qint64>(50, (bound - elapsed).count()));
    }
}

void DataStats::unlockWriter()
{
    m_engine->unlockWriter();
}

bool DataStats::holdsWriterLock() const
{
    return m_engine->holdsWriterLock();
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
    return m_engine->beginTransaction();
}

Result<> DataStats::commit()
{
    return m_engine->commit();
}

void DataStats::rollback()
{
    m_engine->rollback();
}

Result<> DataStats::addToPlayers(const std::vector<PlayerDelta> &players, bool rankingFollows)
{
    return m_engine->addToPlayers(players, rankingFollows);
}

void DataStats::setCountsWaitForRanking(bool wait)
{
    m_engine->setCountsWaitForRanking(wait);
}

Result<int> DataStats::rowCount()
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM \"Stats\"")) || !query.next())
        return fail(QStringLiteral("cannot count the players"), query);
    return query.value(0).toInt();
}

Result<DataStats::FileProgress> DataStats::fileProgress(const QString &fileName)
{
    const Result<QSqlQuery *> ran =
        runKept(m_kept.fileProgress,
                QStringLiteral(R"(SELECT "ByteOffset", "HeadDigest", "HeadLength" FROM )"
                               R"("LogProgress" WHERE "Host" = ? AND "File" = ?)"),
                {m_host, fileName}, QStringLiteral("cannot read the log progress"));
    if (!ran)
        return passOn(ran);
    QSqlQuery &query = **ran;
    FileProgress progress;
    if (query.next())
        progress = {query.value(0).toLongLong(), query.value(1).toByteArray(),
                    query.value(2).toLongLong()};
    query.finish();
    return progress;
}

Result<> DataStats::setFileProgress(const QString &fileName, const FileProgress &progress)
{
    const Result<QSqlQuery *> ran = runKept(
        m_kept.setFileProgress,
        QStringLiteral(
            R"(INSERT INTO "LogProgress" ("Host", "File", "ByteOffset", "HeadDigest", "HeadLength") )"
            R"(VALUES (?, ?, ?, ?, ?) ON CONFLICT ("Host", "File") DO UPDATE SET "ByteOffset" = )"
            R"(EXCLUDED."ByteOffset", "HeadDigest" = EXCLUDED."HeadDigest", "HeadLength" = )"
            R"(EXCLUDED."HeadLength")"),
        {m_host, fileName, progress.offset, progress.headDigest, progress.headLength},
        QStringLiteral("cannot record the log progress"));
    return ran ? Result<>() : passOn(ran);
}

Result<> DataStats::removeFileProgress(const QString &fileName)
{
    const Result<QSqlQuery *> ran =
        runKept(m_kept.removeFileProgress,
                QStringLiteral(R"(DELETE FROM "LogProgress" WHERE "Host" = ? AND "File" = ?)"),
                {m_host, fileName}, QStringLiteral("cannot record the log progress"));
    return ran ? Result<>() : passOn(ran);
}

Result<> DataStats::rankPlayers()
{
    return m_engine->rankPlayers();
}

Result<> DataStats::clearStats()
{
    if (const Result<> begun = beginTransaction(); !begun)
        return begun;
    QSqlQuery query(database());
    for (const QString &table : StoreSchema::countedTables(
             m_engine->dialect().onServer ? Engine::Postgres : Engine::Sqlite)) {
        if (!query.exec(QStringLiteral("DELETE FROM \"%1\"").arg(table))) {
            const QSqlError error = query.lastError();
            rollback();
            return fail(QStringLiteral("cannot empty the statistics"), error);
        }
    }
    return commit();
}

Result<std::chrono::milliseconds> DataStats::setBusyTimeout(std::chrono::milliseconds timeout)
{
    QSqlQuery query(database());
    if (!query.exec(m_engine->dialect().busyTimeout) || !query.next())
        return fail(QStringLiteral("cannot read the busy timeout"), query);
    const std::chrono::milliseconds previous(qint64(query.value(0).toDouble()));
    query.finish();
    if (!query.exec(m_engine->dialect().setBusyTimeout.arg(timeout.count())))
        return fail(QStringLiteral("cannot set the busy timeout"), query);
    return previous;
}

Result<DataStats::Extents> DataStats::extents(qint64 from, qint64 to)
{
    const QString what = QStringLiteral("cannot read the players");
    QStringList ranges {QStringLiteral("COUNT(*)")};
    for (const QString &column : QStringList {QStringLiteral(R"(s."Place")")}
             + StatsColumns::quotedCounters(QStringLiteral("s.")))
        ranges << QStringLiteral("MIN(%1)").arg(column) << QStringLiteral("MAX(%1)").arg(column);
    // Slices of the table follow the row ids: SQLite's rowids, the key ids on a server.
    QString rows = QStringLiteral(R"("Stats" AS s)");
    if (from != std::numeric_limits<qint64>::min() || to != std::numeric_limits<qint64>::max())
        rows += m_engine->dialect().slice.arg(from).arg(to);
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1 FROM %2").arg(ranges.join(u", "), rows))
        || !query.next())
        return fail(what, query);
    Extents extents;
    extents.empty = query.value(0).toLongLong() == 0;
    extents.smallestPlace = query.value(1).toLongLong();
    extents.largestPlace = query.value(2).toLongLong();
    for (int i = 0; i < StatsColumns::CounterCount; ++i) {
        extents.smallest[std::size_t(i)] = query.value(3 + 2 * i).toLongLong();
        extents.largest[std::size_t(i)] = query.value(4 + 2 * i).toLongLong();
    }
    query.finish();
    // Glyphs differ in width: a few of the longest names, for the widest of them to be measured.
    if (!query.exec(
            QStringLiteral(R"(SELECT s."Nom" FROM %1 ORDER BY LENGTH(s."Nom") DESC LIMIT 8)")
                .arg(rows)))
        return fail(what, query);
    while (query.next())
        extents.longestNames << query.value(0).toString();
    return extents;
}

Result<qint64> DataStats::rowIdEnd()
{
    QSqlQuery query(database());
    if (!query.exec(m_engine->dialect().rowIdEnd) || !query.next())
        return fail(QStringLiteral("cannot read the players"), query);
    return query.value(0).toLongLong();
}

Result<DataStats::CopySummary> DataStats::copyFrom(DataStats &source, const QString &host)
{
    const QString what = QStringLiteral("cannot copy the statistics");
    if (!m_engine->dialect().onServer)
        return fail(what, QStringLiteral("copies go into a PostgreSQL database"));
    if (source.m_engine->dialect().onServer || !source.isOpen())
        return fail(what, QStringLiteral("copies come from an open SQLite database"));
    if (!holdsWriterLock())
        return fail(what, QStringLiteral("another program is writing"), ::Failure::Kind::Busy);
    return static_cast<PostgresEngine &>(*m_engine).copyFrom(source.database(), source.m_host,
                                                             host);
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
        if (!run(query, count, past.isEmpty() ? QVariantList {start} : QVariantList {start, past})
            || !query.next())
            return fail(what, query);
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
        if (!run(query,
                 QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4 LIMIT %5")
                     .arg(throughKeys ? QStringLiteral(R"(p."Id", )") + statsColumns()
                                      : statsColumns(),
                          throughKeys ? QStringLiteral(R"("Players" AS p CROSS JOIN "Stats" AS s)")
                                      : QStringLiteral(R"("Stats" AS s)"),
                          conditions.join(QStringLiteral(" AND ")), orderBy,
                          QString::number(wanted)),
                 bound))
            return false;
        const int first = throughKeys ? 1 : 0;
        while (int(rows.size()) < limit && query.next()) {
            if (way == Way::InOrder) {
                ++readInOrder;
                if (!foldedName(query.value(first + StatsColumns::Nom).toString())
                         .startsWith(start))
                    continue;
            }
            PlayerRow row = statsRow(query, first);
            if (throughKeys)
                row.id = query.value(0).toLongLong();
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
        return fail(what, query);
    // The players of the name lie far apart in this part of the ranking: through the keys after
    // all, which costs no more than their number.
    if (way == Way::InOrder && int(rows.size()) < limit && readInOrder >= inOrderBudget) {
        rows.clear();
        way = Way::ThroughKeys;
        if (!readAll())
            return fail(what, query);
    }
    return rows;
}

Result<> DataStats::addPlayerIds(std::vector<PlayerRow> &rows)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral(R"(SELECT "Id" FROM "Players" WHERE "Folded" = ?)")))
        return fail(QStringLiteral("cannot read the players"), query);
    for (PlayerRow &row : rows) {
        if (row.id != 0)
            continue;
        query.bindValue(0, foldedName(row.nom));
        if (!query.exec())
            return fail(QStringLiteral("cannot read the players"), query);
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
    const Result<std::optional<PlayerRow>> found = playerRow(id);
    if (!found)
        return passOn(found);
    if (!*found)
        return std::optional<PlayerStanding>();
    PlayerStanding standing;
    standing.row = std::move(**found);
    const PlayerRow &row = standing.row;
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
    QSqlQuery query(database());
    if (!run(query,
             QStringLiteral(R"(SELECT COUNT(*) FROM "Stats" WHERE "Kills" = ? AND %1)")
                 .arg(countAhead ? QStringLiteral(R"("Place" > 0 AND "Place" < ?)")
                                 : QStringLiteral(R"("Place" > ?)")),
             {kills, row.place})
        || !query.next())
        return fail(what, query);
    const qint64 counted = query.value(0).toLongLong();
    ahead += countAhead ? counted : sameKills - 1 - counted;
    standing.killsPlace = ahead + 1;
    return std::optional<PlayerStanding>(std::move(standing));
}

Result<qint64> DataStats::killsPlace(qint64 kills, qint64 place)
{
    const QString what = QStringLiteral("cannot read the player");
    // The counts below stand on places 1 to n without a gap, as a ranking leaves them; a row
    // unranked by hand leaves one, and then only the players ahead are counted.
    const Result<RankedPlaces> places = rankedPlaces();
    if (!places)
        return passOn(places);
    const qint64 ranked = places->ranked;
    const bool gapless = places->gapless;
    QSqlQuery query(database());
    query.setForwardOnly(true);
    // The two orders of the ranking go much the same way: the place by kills is the place, less
    // the players above with fewer kills, plus those below with more. Those are few but for the
    // players near the ends, and each kill count's share of them is a range of the index by
    // kills, found through its distinct counts one step each.
    if (gapless) {
        const qint64 enough = ranked / 8 + 1;
        if (!run(
                query,
                QStringLiteral(
                    R"(WITH RECURSIVE "Fewer"("K") AS (SELECT MAX("Kills") FROM "Stats" WHERE "Kills" < ? )"
                    R"(UNION ALL SELECT (SELECT MAX("Kills") FROM "Stats" WHERE "Kills" < "K") )"
                    R"(FROM "Fewer" WHERE "K" IS NOT NULL), )"
                    R"("More"("K") AS (SELECT MIN("Kills") FROM "Stats" WHERE "Kills" > ? )"
                    R"(UNION ALL SELECT (SELECT MIN("Kills") FROM "Stats" WHERE "Kills" > "K") )"
                    R"(FROM "More" WHERE "K" IS NOT NULL) )"
                    R"(SELECT COALESCE(SUM("Moved"), 0), COUNT(*) FROM )"
                    R"((SELECT -1 AS "Moved" FROM "Fewer" JOIN "Stats" AS s ON s."Kills" = "Fewer"."K" )"
                    R"(AND s."Place" > 0 AND s."Place" < ? )"
                    R"(UNION ALL SELECT 1 AS "Moved" FROM "More" JOIN "Stats" AS s )"
                    R"(ON s."Kills" = "More"."K" AND s."Place" > ? LIMIT ?) AS "Crossed")"),
                {kills, kills, place, place, enough})
            || !query.next())
            return fail(what, query);
        if (query.value(1).toLongLong() < enough)
            return place + query.value(0).toLongLong();
        query.finish();
    }

    // Many cross: the players ahead, or those behind, counted from the nearer end.
    const bool fromTop = !gapless || place <= ranked / 2;
    if (!run(query,
             fromTop ? QStringLiteral(R"(SELECT (SELECT COUNT(*) FROM "Stats" WHERE "Kills" > ? )"
                                      R"(AND "Place" > 0) + (SELECT COUNT(*) FROM "Stats" )"
                                      R"(WHERE "Kills" = ? AND "Place" > 0 AND "Place" < ?))")
                     : QStringLiteral(R"(SELECT (SELECT COUNT(*) FROM "Stats" WHERE "Kills" < ? )"
                                      R"(AND "Place" > 0) + (SELECT COUNT(*) FROM "Stats" )"
                                      R"(WHERE "Kills" = ? AND "Place" > ?))"),
             {kills, kills, place})
        || !query.next())
        return fail(what, query);
    const qint64 counted = query.value(0).toLongLong();
    return fromTop ? counted + 1 : ranked - counted;
}

Result<DataStats::RankedPlaces> DataStats::rankedPlaces()
{
    const QString what = QStringLiteral("cannot read the ranking");
    QSqlQuery query(database());
    query.setForwardOnly(true);
    // Counting the rows reads the whole table (milliseconds at 600,000 players), which every
    // player's page placed by a count would do again; on SQLite it holds until the data version
    // moves. That version ignores this connection's own writes: a writer counts each time.
    qint64 version = -1;
    if (const QString &dataVersion = m_engine->dialect().dataVersion;
        !dataVersion.isEmpty() && m_access == Access::ReadOnly) {
        if (!query.exec(dataVersion) || !query.next())
            return fail(what, query);
        version = query.value(0).toLongLong();
        query.finish();
        if (m_rankedPlaces && m_rankedPlacesVersion == version)
            return *m_rankedPlaces;
    }
    if (!query.exec(QStringLiteral(
            R"(SELECT (SELECT COUNT(*) FROM "Stats") - (SELECT COUNT(*) FROM "Stats" WHERE )"
            R"("Place" <= 0), (SELECT COALESCE(MAX("Place"), 0) FROM "Stats"))"))
        || !query.next())
        return fail(what, query);
    RankedPlaces places;
    places.ranked = query.value(1).toLongLong();
    places.gapless = query.value(0).toLongLong() == places.ranked;
    if (version >= 0) {
        m_rankedPlaces = places;
        m_rankedPlacesVersion = version;
    }
    return places;
}

Result<const std::map<qint64, qint64> *> DataStats::rankedByKills()
{
    const QString what = QStringLiteral("cannot read the ranking");
    QSqlQuery query(database());
    query.setForwardOnly(true);
    // SQLite says when another connection changed the database: until then the counts hold. A
    // server says no such thing, and other machines write to it at any time: counted each time.
    qint64 version = -1;
    if (const QString &dataVersion = m_engine->dialect().dataVersion; !dataVersion.isEmpty()) {
        if (!query.exec(dataVersion) || !query.next())
            return fail(what, query);
        version = query.value(0).toLongLong();
        query.finish();
        if (m_rankedByKills && m_rankedByKillsVersion == version)
            return &*m_rankedByKills;
    }
    std::map<qint64, qint64> counts;
    if (!query.exec(QStringLiteral(R"(SELECT "Kills", COUNT(*) FROM "Stats" WHERE "Place" > 0 )"
                                   R"(GROUP BY "Kills")")))
        return fail(what, query);
    while (query.next())
        counts.emplace(query.value(0).toLongLong(), query.value(1).toLongLong());
    if (query.lastError().isValid())
        return fail(what, query);
    m_rankedByKills = std::move(counts);
    m_rankedByKillsVersion = version;
    return &*m_rankedByKills;
}

Result<qint64> DataStats::lastPlace()
{
    const Result<QVariant> last = keptValue(
        m_kept.lastPlace, QStringLiteral(R"(SELECT COALESCE(MAX("Place"), 0) FROM "Stats")"), {},
        QStringLiteral("cannot read the ranking"));
    if (!last)
        return passOn(last);
    return last->toLongLong();
}

namespace {
const QString lastUpdateKey = QStringLiteral("LastUpdate");
}

Result<std::optional<QDateTime>> DataStats::lastUpdate()
{
    const Result<QVariant> read = keptValue(
        m_kept.lastUpdate, QStringLiteral(R"(SELECT "Value" FROM "Meta" WHERE "Key" = ?)"),
        {lastUpdateKey}, QStringLiteral("cannot read the time of the last update"));
    if (!read) {
        // A database written before updates recorded their time has no such table yet.
        if (!database().tables().contains(QLatin1String("Meta"), Qt::CaseInsensitive))
            return std::optional<QDateTime>();
        return passOn(read);
    }
    const QString value = read->toString();
    if (value.isNull())
        return std::optional<QDateTime>();
    const QDateTime when = QDateTime::fromString(value, Qt::ISODateWithMs);
    if (!when.isValid())
        return std::optional<QDateTime>();
    return std::optional<QDateTime>(when);
}

Result<> DataStats::setLastUpdate(const QDateTime &when)
{
    const QString what = QStringLiteral("cannot record the time of the update");
    QSqlQuery query(database());
    if (!run(query, QStringLiteral(R"(DELETE FROM "Meta" WHERE "Key" = ?)"), {lastUpdateKey})
        || !run(query, QStringLiteral(R"(INSERT INTO "Meta" ("Key", "Value") VALUES (?, ?))"),
                {lastUpdateKey, when.toUTC().toString(Qt::ISODateWithMs)}))
        return fail(what, query);
    return {};
}

Result<> DataStats::forEachRow(const QString &statement,
                               const std::function<void(const QSqlQuery &)> &f)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (query.exec(statement)) {
        while (query.next())
            f(query);
    }
    if (query.lastError().isValid())
        return fail(QStringLiteral("cannot read the ranking"), query);
    return {};
}

Result<> DataStats::forEachRankingRow(Ranking order,
                                      const std::function<void(const PlayerRow &)> &f)
{
    return forEachRow(rankingQuery(order), [&f](const QSqlQuery &q) { f(statsRow(q)); });
}

Result<> DataStats::forEachRanked(int column, const std::function<void(const RankedValues &)> &f)
{
    if (column < StatsColumns::FirstCounter || column >= StatsColumns::Count)
        return fail(QStringLiteral("cannot read the ranking"),
                    QStringLiteral("column %1 is no counter").arg(column));
    return forEachRow(
        QStringLiteral(R"(SELECT "Place", "Kills", "Deaths", %1 FROM "Stats" WHERE "Place" > 0)")
            .arg(StatsColumns::quoted(column)),
        [&f](const QSqlQuery &q) {
            f({q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toLongLong(),
               q.value(3).toLongLong()});
        });
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
    if (const Result<> read =
            forEachRow(QStringLiteral(R"(SELECT %1 FROM "Stats" AS s WHERE s."Place" IN (%2))")
                           .arg(statsColumns(), numbers.join(u',')),
                       [&found](const QSqlQuery &q) {
                           PlayerRow row = statsRow(q);
                           found.emplace(row.place, std::move(row));
                       });
        !read)
        return passOn(read);
    for (const qint64 place : places)
        if (const auto it = found.find(place); it != found.end() && place > 0)
            rows.push_back(it->second);
    if (const Result<> ids = addPlayerIds(rows); !ids)
        return passOn(ids);
    return rows;
}

Result<QString> DataStats::changeMark()
{
    if (const QString &dataVersion = m_engine->dialect().dataVersion; !dataVersion.isEmpty()) {
        // Asked before every answer a server sends: kept prepared.
        const Result<QVariant> mark = keptValue(m_kept.dataVersion, dataVersion, {},
                                                QStringLiteral("cannot read the ranking"));
        if (!mark)
            return passOn(mark);
        return mark->toString();
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
    return forEachRow(QStringLiteral("SELECT \"Nom\" FROM \"Stats\""),
                      [&f](const QSqlQuery &query) { f(query.value(0).toString()); });
}

Result<QSqlQuery *> DataStats::runKept(std::unique_ptr<QSqlQuery> &kept, const QString &statement,
                                       const QVariantList &values, const QString &what)
{
    if (!kept) {
        auto prepared = std::make_unique<QSqlQuery>(database());
        prepared->setForwardOnly(true);
        if (!prepared->prepare(statement))
            return fail(what, *prepared);
        kept = std::move(prepared);
    }
    for (qsizetype i = 0; i < values.size(); ++i)
        kept->bindValue(int(i), values[i]);
    if (!kept->exec()) {
        const Failure failed = fail(what, *kept);
        kept.reset();
        return failed;
    }
    return kept.get();
}

Result<QVariant> DataStats::keptValue(std::unique_ptr<QSqlQuery> &kept, const QString &statement,
                                      const QVariantList &values, const QString &what)
{
    const Result<QSqlQuery *> ran = runKept(kept, statement, values, what);
    if (!ran)
        return passOn(ran);
    const QVariant value = (*ran)->next() ? (*ran)->value(0) : QVariant();
    (*ran)->finish();
    return value;
}

Result<std::optional<DataStats::PlayerRow>> DataStats::playerRow(qint64 id)
{
    static const QString statement =
        QStringLiteral(R"(SELECT %1 FROM "Players" AS p CROSS JOIN "Stats" AS s )"
                       R"(WHERE p."Id" = ? AND s."Nom" = p."Nom")")
            .arg(statsColumns());
    const Result<QSqlQuery *> ran =
        runKept(m_kept.playerRow, statement, {id}, QStringLiteral("cannot read the player"));
    if (!ran)
        return passOn(ran);
    QSqlQuery &query = **ran;
    std::optional<PlayerRow> row;
    if (query.next()) {
        row = statsRow(query);
        row->id = id;
    }
    // Left unfinished, the statement would hold its read open: every later read on this
    // connection would see the data as it was then, past the next commit.
    query.finish();
    return row;
}

Result<> DataStats::forEachKillsPlace(const std::function<void(qint64 kills, qint64 place)> &f)
{
    return m_engine->forEachPair(
        QStringLiteral("cannot read the ranking"),
        QStringLiteral(
            R"(SELECT "Kills", "Place" FROM "Stats" WHERE "Place" > 0 ORDER BY "Kills" DESC, "Place")"),
        f);
}
