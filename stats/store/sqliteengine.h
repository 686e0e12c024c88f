// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/store/storeengine.h"

#include <QString>

#include <cstddef>
#include <memory>

class ExclusiveLock;
class SqliteStatement;
struct sqlite3;

/**
 * The statistics store in a SQLite file, in write-ahead logging so that readers never wait for
 * a writer. One writer at a time holds a lock file beside the database; first imports and
 * rankings of many players drop the indexes and build them again afterwards.
 */
class SqliteEngine final : public StoreEngine
{
public:
    /// Works on the connection called \a connectionName, the file shown as \a shown.
    SqliteEngine(QString connectionName, const QString &shown);
    ~SqliteEngine() override;

    const Dialect &dialect() const override;
    Result<> open(const QString &location, DataStats::Access access, const QString &host) override;

    Result<bool> tryLockWriter() override;
    Holder writerLockHolder() override;
    void unlockWriter() override;
    bool holdsWriterLock() const override;

    Result<> beginTransaction() override;
    Result<> commit() override;
    void rollback() override;

    Result<> addToPlayers(const std::vector<DataStats::PlayerDelta> &players,
                          bool rankingFollows) override;
    Result<> mendKeys(const MendPlan &plan, const QStringList &noms) override;
    Result<> forEachPair(const QString &what, const QString &query,
                         const std::function<void(qint64, qint64)> &f) override;
    Result<> rankPlayers() override;
    /// Counts are never kept aside in a file: nothing to settle.
    Result<> settleCounts() override { return {}; }

private:
    using PlayerDelta = DataStats::PlayerDelta;

    /// \a reason, with what a reader that may not write into the folder lacks, if anything.
    QString readOnlyReason(const QString &reason) const;
    Result<> createSchema();
    /// Gives LogProgress of a database from before several machines its column Host, the
    /// records counted as this machine's; inside the schema's transaction.
    Result<> addHostToProgress();
    Result<> importPlayers(const std::vector<PlayerDelta> &players);
    /// Sets the Place of each row (rowid, place).
    Result<> setPlaces(std::vector<std::pair<qint64, qint64>> places);
    /// The players ordered by \a key(player): a number, then a name's bytes.
    template<typename Key>
    static std::vector<const PlayerDelta *> sortedPlayers(const std::vector<PlayerDelta> &players,
                                                          Key key);
    /// Inserts \a rows rows through "head VALUES", \a bindRow(statement, offset, row) binding
    /// the \a columns values of a row from parameter offset + 1.
    template<typename Bind>
    Result<> insertMany(const QString &head, int columns, std::size_t rows, Bind bindRow);
    // Below this many new players, rebuilding the indexes costs more than it saves.
    static constexpr std::size_t bulkImportSize = 20000;
    Result<SqliteStatement *> prepared(std::unique_ptr<SqliteStatement> &statement,
                                       const QString &text);
    sqlite3 *handle() const;

    QString m_path;
    QString m_host;
    std::unique_ptr<SqliteStatement> m_insertKey;
    std::unique_ptr<SqliteStatement> m_findKey;
    std::unique_ptr<SqliteStatement> m_addToRow;
    std::unique_ptr<SqliteStatement> m_insertRow;
    std::unique_ptr<SqliteStatement> m_setPlace;
    std::unique_ptr<ExclusiveLock> m_writerLock;
};
