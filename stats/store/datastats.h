// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"
#include "stats/store/statscolumns.h"
#include "stats/store/storefailures.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <chrono>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QSqlQuery;
class RankingSource;
class StoreEngine;

/**
 * Tolvane's statistics store: one database (the connection BdStats) holding table Stats, the
 * ranking views Class (by kills) and Class2 (by place), the player keys and the record of how
 * far each machine has counted each of its log files. The database is a SQLite file, or, for
 * several servers on several machines that share one ranking, a PostgreSQL database named by a
 * postgresql:// address: SqliteEngine and PostgresEngine do what differs. It is created with its
 * schema on first use.
 *
 * Table Stats keeps exactly its 33 columns, since the views, stored databases and outside
 * readers rely on them. One row per player is guaranteed by table Players, which holds each
 * player's case-folded name under a unique key, a stable id and the Nom of the player's row
 * (itself unique in Stats); a name, not a rowid, links the two, as VACUUM may renumber rowids.
 *
 * Only one process at a time writes: whoever updates the statistics holds the writer lock
 * (lockWriter()) for the whole of its work, so that two runs never count one file twice.
 *
 * An operation that fails says why, naming the database: "<what> (<database>): <why>".
 */
class DataStats : private StoreFailures
{
public:
    using Counters = std::array<qint64, StatsColumns::CounterCount>;
    /// What one flush adds to a player's counters: a 32-bit range is enough for every counter.
    using Counts = std::array<qint32, StatsColumns::CounterCount>;

    enum class Access { ReadWrite, ReadOnly };
    /// The two orders of the ranking: by place (view Class2) and by kills (view Class).
    enum class Ranking { Places, Kills };

    /// What one flush adds to one player.
    struct PlayerDelta
    {
        QByteArrayView nom; ///< the spelling a new row gets, in UTF-8
        QByteArrayView folded; ///< the key: the case-folded name, in UTF-8
        const Counts *delta;
    };

    struct FileProgress
    {
        qint64 offset = 0; ///< bytes counted from the start of the file
        QByteArray headDigest; ///< identifies the file: digest of its first bytes
        qint64 headLength = 0; ///< how many first bytes the digest covers
        bool operator==(const FileProgress &) const = default;
    };

    /// What copyFrom() copied.
    struct CopySummary
    {
        qint64 rows = 0;
        qint64 keys = 0;
        qint64 progress = 0;
        QStringList storedUnder; ///< the hosts the progress records are stored under
        QStringList recordedUnder; ///< the hosts they were recorded under in the source
    };

    DataStats();
    ~DataStats();
    DataStats(const DataStats &) = delete;
    DataStats &operator=(const DataStats &) = delete;

    /// Opens the database at \a path, a file or a postgresql:// address. ReadWrite creates the
    /// file, its folder and the schema when missing, and mends rows whose names fold alike when
    /// no other process is writing; ReadOnly never creates or changes anything.
    Result<> open(const QString &path, Access access = Access::ReadWrite);
    bool isOpen() const;
    /// The file, or the address without its password.
    QString path() const { return m_path; }

    /// Whether \a location is a network address ("scheme://...") rather than a file path.
    static bool isAddress(const QString &location);
    /// Whether \a location names a database this store can open: a file or a postgresql://
    /// address.
    static bool isSupported(const QString &location);

    /// The machine whose progress records fileProgress() and its kin read and write: several
    /// machines count logs of the same names into one database. This machine's id by default.
    void setHost(const QString &host) { m_host = host; }
    QString host() const { return m_host; }

    /// Takes the writer lock, waiting at most \a bound for another writer to finish; while it
    /// waits, \a whileWaiting is called about every 50 ms with the time waited so far.
    /// Fails when the lock cannot be taken at all, or, of kind LockTimeout, when the bound
    /// passed.
    Result<> lockWriter(std::chrono::milliseconds bound,
                        const std::function<void(std::chrono::milliseconds)> &whileWaiting = {});
    void unlockWriter();
    bool holdsWriterLock() const;

    /// Under the writer lock: merges rows whose names fold alike into the oldest one and brings
    /// the player keys in line with table Stats, in one transaction. The rows merged.
    Result<int> mendPlayers();
    /// Rows merged by the mend when the database was opened.
    int mergedOnOpen() const { return m_mergedOnOpen; }

    /// The query that lists every row of the ranking in \a order, all 33 columns: the one the
    /// grid pages through and the command line prints.
    static QString rankingQuery(Ranking order);

    /// "Class2" or "Class" (any letter case): a read-only model of all 33 columns in that
    /// source's order, opened on first request; nullptr for another name, a closed store or a
    /// ranking that cannot be read.
    RankingSource *recordSource(const QString &dataMember);
    /// Closes rsClass and rsClass2 (their models are emptied) so the next request reads afresh.
    void closeRecordSets();

    Result<> beginTransaction();
    /// Rolls back what it could not commit.
    Result<> commit();
    void rollback();

    /// Adds each delta to the player whose name folds to its key, creating the key and the row,
    /// spelled as given, for a new player; inside the caller's transaction. When the ranking pass
    /// follows in the same transaction, \a rankingFollows lets new rows of an empty table get
    /// their places at once, as nobody can see them before they are ranked.
    Result<> addToPlayers(const std::vector<PlayerDelta> &players, bool rankingFollows = false);
    /// While set (by a writer that ranks before its last commit), addToPlayers() may keep the
    /// counts aside, committed all the same, and the ranking pass adds them to table Stats: on a
    /// server, a run that commits many logs one by one then writes each player's row once. What
    /// a run that stopped kept aside is added by the mend of the next writer.
    void setCountsWaitForRanking(bool wait);
    /// Number of rows in table Stats.
    Result<int> rowCount();

    /// How far the log file \a fileName was counted; nothing counted when it has no record.
    Result<FileProgress> fileProgress(const QString &fileName);
    Result<> setFileProgress(const QString &fileName, const FileProgress &progress);
    Result<> removeFileProgress(const QString &fileName);

    /// Numbers Place 1..n by descending TotalClass, ties by name, inside the caller's
    /// transaction; a row whose place does not change is not written.
    Result<> rankPlayers();
    /// Empties table Stats, the player keys and the log progress records in one transaction,
    /// so that a recount covers every log present from its start.
    Result<> clearStats();

    QSqlDatabase database() const;

    /// How long a statement waits for another connection's transaction before it fails with
    /// "database is locked". Sets \a timeout and returns the one in force before.
    Result<std::chrono::milliseconds> setBusyTimeout(std::chrono::milliseconds timeout);

    /// Copies the rows, keys and progress records of \a source (a SQLite store) into this one, a
    /// PostgreSQL store that holds nothing yet, in one transaction, under the writer lock. The
    /// progress records are stored under \a host; without one, each under the host it was
    /// recorded under (the host of \a source for a database from before several machines).
    Result<CopySummary> copyFrom(DataStats &source, const QString &host = {});

    /// The range of every column of table Stats, as the grid needs it to size its columns.
    struct Extents
    {
        Counters smallest {}; ///< per counter, as Counters index them
        Counters largest {};
        qint64 smallestPlace = 0;
        qint64 largestPlace = 0;
        QStringList longestNames; ///< a few of the longest names, longest first
        bool empty = true; ///< no row was taken in

        /// Takes in the extents of other rows.
        void merge(const Extents &other);
    };
    /// The extents of table Stats, or of its rows whose rowid lies in [\a from, \a to), taken
    /// by the database in one aggregate query (and one for the names) rather than by reading
    /// every row.
    Result<Extents> extents(qint64 from = std::numeric_limits<qint64>::min(),
                            qint64 to = std::numeric_limits<qint64>::max());
    /// One past the largest rowid of table Stats.
    Result<qint64> rowIdEnd();

    /// Where a row stands in one order of the ranking: by places its Place alone, by kills its
    /// Kills and then its Place. Places are unique among ranked rows, so a key names one row.
    struct RankingKey
    {
        qint64 kills = 0;
        qint64 place = 0;
    };
    /// Which rows of the ranking a page shows. Pages are found from a key through the indexes,
    /// never by counting rows from the start; only ranked rows (Place above 0) are listed.
    struct PageRequest
    {
        enum class From { First, After, Before, Last };
        Ranking order = Ranking::Places;
        From from = From::First;
        RankingKey key; ///< the row the page starts after (After) or ends before (Before)
        QString nameStart; ///< only players whose names start with it, in any letter case
        int size = 100;
    };
    /// One row of table Stats with the stable id of its player (0 when it has no key).
    struct PlayerRow
    {
        qint64 id = 0;
        qint64 place = 0;
        QString nom;
        Counters counters {};

        qint64 kills() const { return counters[StatsColumns::Kills - StatsColumns::FirstCounter]; }
        RankingKey key() const { return {kills(), place}; }
    };
    struct RankingPage
    {
        std::vector<PlayerRow> rows; ///< in the order of the ranking
        bool hasBefore = false; ///< rows of the same list come before the first one
        bool hasAfter = false; ///< and after the last one
    };
    /// One page of the ranking in the order \a request names, read through the indexes.
    Result<RankingPage> rankingPage(const PageRequest &request);
    /// Calls \a f with every row of the ranking in \a order as it is read, keeping none: the
    /// command line prints any number of players in little memory.
    Result<> forEachRankingRow(Ranking order, const std::function<void(const PlayerRow &)> &f);
    /// A ranked row as an order of the ranking by another counter needs it.
    struct RankedValues
    {
        qint64 place = 0;
        qint64 kills = 0;
        qint64 deaths = 0;
        qint64 value = 0; ///< the counter asked for
    };
    /// Calls \a f with every ranked row's place, kills, deaths and counter \a column (a
    /// counter's StatsColumns index), in no particular order, keeping none: one pass that no
    /// index is needed for.
    Result<> forEachRanked(int column, const std::function<void(const RankedValues &)> &f);
    /// The ranked rows at \a places, with their players' ids, in the order of \a places; a
    /// place that no row holds (any more) is left out.
    Result<std::vector<PlayerRow>> rowsAt(const std::vector<qint64> &places);
    /// What changes whenever another connection changed the statistics: SQLite's data version,
    /// on a server the last update's time and the number of ranked players.
    Result<QString> changeMark();
    /// Calls \a f with the name of every row of table Stats, in no particular order.
    Result<> forEachName(const std::function<void(const QString &)> &f);
    /// A player and where the player stands in both orders of the ranking.
    struct PlayerStanding
    {
        PlayerRow row;
        qint64 killsPlace = 0; ///< 1-based place in the order by kills; 0 when not ranked
    };
    /// The player whose stable id is \a id; nothing when there is none.
    Result<std::optional<PlayerStanding>> player(qint64 id);
    /// The 1-based place by kills of the ranked player with \a kills kills at \a place, counted
    /// through the index by kills: the players whom the two orders place on either side of the
    /// player differently, or, when they are many, those ahead or behind, whichever are fewer
    /// by the player's place.
    Result<qint64> killsPlace(qint64 kills, qint64 place);
    /// The row of the player whose stable id is \a id, without its place by kills; nothing when
    /// there is none. For a reader that places players by kills from an order of its own.
    Result<std::optional<PlayerRow>> playerRow(qint64 id);
    /// Calls \a f with every ranked player's kills and place, kills highest first and ties by
    /// place, read through the index by kills in one pass (on SQLite without a QVariant a value).
    Result<> forEachKillsPlace(const std::function<void(qint64 kills, qint64 place)> &f);
    /// The largest Place: the number of ranked players.
    Result<qint64> lastPlace();
    /// When an update last finished; nothing when none has recorded it.
    Result<std::optional<QDateTime>> lastUpdate();
    /// Records, inside the caller's transaction, that an update finished at \a when.
    Result<> setLastUpdate(const QDateTime &when);
    /// The key a name is found by: its case folding, as table Players holds it.
    static QString foldedName(const QString &nom);

private:
    /// The end of open(): mends the players when nobody else is writing.
    Result<> mendOnOpen();
    enum class Direction { Forward, Backward };
    /// Up to \a limit ranked rows of \a order next to \a key (from the first or the last one
    /// without a key), in the direction given, nearest first.
    Result<std::vector<PlayerRow>> rankedRows(Ranking order, Direction direction,
                                              const std::optional<RankingKey> &key,
                                              const QString &nameStart, int limit);
    /// The number of ranked players of each kill count, read again when the database changed.
    Result<const std::map<qint64, qint64> *> rankedByKills();
    struct RankedPlaces
    {
        qint64 ranked = 0; ///< the largest place
        bool gapless = false; ///< places 1 to ranked, each held once
    };
    /// How the places run, counted again only when the database changed.
    Result<RankedPlaces> rankedPlaces();
    /// \a statement, prepared into \a kept when it holds none yet, run with \a values; the
    /// caller finishes it once read, so that no read stays open past the next commit.
    Result<QSqlQuery *> runKept(std::unique_ptr<QSqlQuery> &kept, const QString &statement,
                                const QVariantList &values, const QString &what);
    /// The first value \a statement gives, run as runKept() runs it; null when it gives no row.
    Result<QVariant> keptValue(std::unique_ptr<QSqlQuery> &kept, const QString &statement,
                               const QVariantList &values, const QString &what);
    /// Calls \a f on each row \a statement gives, as it is read.
    Result<> forEachRow(const QString &statement, const std::function<void(const QSqlQuery &)> &f);
    /// Gives the rows without an id the id of their player.
    Result<> addPlayerIds(std::vector<PlayerRow> &rows);
    // Up to this many players of a name are found through their keys; more, in ranking order,
    // reading at most inOrderBudget rows before going through the keys after all.
    static constexpr int fewPlayers = 4000;
    static constexpr int inOrderBudget = 20000;
    Result<bool> needsMend();
    QString m_connectionName;
    QString m_path;
    QString m_host;
    Access m_access = Access::ReadWrite;
    int m_mergedOnOpen = 0;
    std::unique_ptr<StoreEngine> m_engine; // never null: on no file until one is opened
    std::unique_ptr<RankingSource> m_rsClass;
    std::unique_ptr<RankingSource> m_rsClass2;
    std::optional<std::map<qint64, qint64>> m_rankedByKills;
    qint64 m_rankedByKillsVersion = 0;
    std::optional<RankedPlaces> m_rankedPlaces;
    qint64 m_rankedPlacesVersion = 0;
    /// The statements run again and again, prepared once for the connection.
    struct KeptStatements
    {
        std::unique_ptr<QSqlQuery> playerRow;
        std::unique_ptr<QSqlQuery> lastPlace;
        std::unique_ptr<QSqlQuery> lastUpdate;
        std::unique_ptr<QSqlQuery> dataVersion;
        // An update records each log's progress, log after log.
        std::unique_ptr<QSqlQuery> fileProgress;
        std::unique_ptr<QSqlQuery> setFileProgress;
        std::unique_ptr<QSqlQuery> removeFileProgress;
    };
    KeptStatements m_kept;
};
