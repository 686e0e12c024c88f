// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"
#include "stats/store/datastats.h"
#include "stats/store/storefailures.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

struct MendPlan;

/**
 * What differs between the engines the statistics store runs on (a SQLite file, a PostgreSQL
 * server): connecting and creating the schema, the writer lock, transactions, the paths that
 * count and rank many players at once, and the bits of SQL their dialects spell differently.
 * DataStats holds one and writes everything else once, above it.
 */
class StoreEngine : protected StoreFailures
{
public:
    /// The bits of SQL that differ.
    struct Dialect
    {
        bool onServer = false;
        /// An expression: 1 when table Stats has its unique index on Nom.
        QString nomIndexed;
        /// What finds a row of table Stats again within a transaction.
        QString rowId;
        /// What orders the rows of table Stats as they were stored.
        QString storedOrder;
        /// What follows "Stats" AS s to keep the rows whose ids lie in [%1, %2).
        QString slice;
        /// The query of one past the largest row id.
        QString rowIdEnd;
        /// The query of what changes whenever another connection writes; none on a server.
        QString dataVersion;
        /// The query of how long, in milliseconds, a statement waits for the locks of another
        /// transaction, and the statement that sets it to %1.
        QString busyTimeout;
        QString setBusyTimeout;
    };

    /// Works on the connection called \a connectionName; failures name the database \a shown.
    StoreEngine(QString connectionName, const QString &shown)
        : m_connectionName(std::move(connectionName))
    {
        setShown(shown);
    }
    virtual ~StoreEngine() = default;
    StoreEngine(const StoreEngine &) = delete;
    StoreEngine &operator=(const StoreEngine &) = delete;

    virtual const Dialect &dialect() const = 0;
    /// Connects to \a location; ReadWrite creates the schema when it is missing, the progress
    /// records of a database from before several machines counted as \a host's.
    virtual Result<> open(const QString &location, DataStats::Access access,
                          const QString &host) = 0;

    /// Tries the writer lock once, waiting for nobody: whether it is held now, or why it could
    /// not be tried (the reason alone).
    virtual Result<bool> tryLockWriter() = 0;
    struct Holder
    {
        /// The holder's process id, when known; 0 when not.
        qint64 pid = 0;
        /// The holder, as a run that waits for it names it.
        QString text;
    };
    /// Who holds the writer lock.
    virtual Holder writerLockHolder() = 0;
    virtual void unlockWriter() = 0;
    virtual bool holdsWriterLock() const = 0;

    virtual Result<> beginTransaction() = 0;
    virtual Result<> commit() = 0;
    virtual void rollback() = 0;

    virtual Result<> addToPlayers(const std::vector<DataStats::PlayerDelta> &players,
                                  bool rankingFollows) = 0;
    /// While set, addToPlayers() may keep the counts aside, committed with the caller's
    /// transaction, for the ranking pass or settleCounts() to add to table Stats.
    void setCountsWaitForRanking(bool wait) { m_countsWait = wait; }
    /// Adds to table Stats the counts addToPlayers() kept aside, in the caller's transaction or,
    /// without one, in one statement.
    virtual Result<> settleCounts() = 0;
    /// Inside the mend's transaction, once the rows are merged: removes the keys \a plan names
    /// and gives the rows without one theirs, the rows being spelled \a noms.
    virtual Result<> mendKeys(const MendPlan &plan, const QStringList &noms) = 0;
    /// Calls \a f with the two whole numbers of every row \a query gives, read as fast as the
    /// engine can: hundreds of thousands of rows are no rare case.
    virtual Result<> forEachPair(const QString &what, const QString &query,
                                 const std::function<void(qint64, qint64)> &f) = 0;
    /// Numbers Place 1..n by descending TotalClass, ties by name byte for byte, writing only the
    /// rows that move.
    virtual Result<> rankPlayers() = 0;

protected:
    QSqlDatabase database() const { return QSqlDatabase::database(m_connectionName, false); }

    const QString m_connectionName;
    bool m_countsWait = false;
};
