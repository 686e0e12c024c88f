// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"
#include "stats/store/datastats.h"
#include "stats/store/storeengine.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

/**
 * The statistics store on a PostgreSQL server, which the update runs, listeners and windows of
 * several machines share. DataStats works through it when its location is a
 * postgresql:// address; the tables, views, keys and orders are those of the SQLite store,
 * named letter for letter (quoted), with names compared and sorted byte for byte (collation
 * "C"), so that both rank alike.
 *
 * What one process's file lock does on SQLite, the server's advisory locks do here, for every
 * machine at once: one writer at a time (a lock held by the session, released by the server
 * when the connection ends however it ends), one creation of the schema, one ranking pass.
 * Statements carry many players at a time, as arrays, to spare round trips to the server.
 *
 * An operation that fails says why, naming the database: "<what> (<address>): <why>", never
 * with the password the address may hold.
 */
class PostgresEngine final : public StoreEngine
{
public:
    /// Works on the connection called \a connectionName, to the database shown as \a shown.
    PostgresEngine(QString connectionName, const QString &shown);
    ~PostgresEngine() override;

    const Dialect &dialect() const override;
    /// Connects; ReadWrite creates the schema when it is missing, ReadOnly refuses a database
    /// without it and never writes. Every progress record has its host here.
    Result<> open(const QString &location, DataStats::Access access, const QString &host) override;

    Result<bool> tryLockWriter() override;
    Holder writerLockHolder() override;
    void unlockWriter() override;
    bool holdsWriterLock() const override { return m_writerLocked; }

    /// In one statement each.
    Result<> mendKeys(const MendPlan &plan, const QStringList &noms) override;

    Result<> beginTransaction() override;
    Result<> commit() override;
    void rollback() override;

    /// New rows get their places from the ranking pass, whatever follows. While the counts wait
    /// for the ranking, only the keys are written at once: the counts go into table
    /// PendingCounts, and each player's row is written once by the ranking pass however many
    /// logs the run committed one by one.
    Result<> addToPlayers(const std::vector<DataStats::PlayerDelta> &players,
                          bool rankingFollows) override;

    Result<> forEachPair(const QString &what, const QString &query,
                         const std::function<void(qint64, qint64)> &f) override;
    /// Settles the counts kept aside first.
    Result<> rankPlayers() override;
    Result<> settleCounts() override;

    /// Copies every row, key and progress record of \a source (a SQLite store, its progress
    /// records without a host counted as \a sourceHost's) into this empty database, in one
    /// transaction; refuses a database that holds anything. Every progress record is stored
    /// under \a host if given, else under its own.
    Result<DataStats::CopySummary> copyFrom(QSqlDatabase source, const QString &sourceHost,
                                            const QString &host);

private:
    Result<> createSchema();
    /// \a query, prepared on first use with \a text.
    Result<QSqlQuery *> prepared(std::optional<QSqlQuery> &query, const QString &text);
    Result<> addChunk(const std::vector<DataStats::PlayerDelta> &players, std::size_t from,
                      std::size_t to, bool rankingFollows);
    /// The sums of every counter of table Stats + those of \a source (columns f, c0, c1...),
    /// added to each player's row, a new row for a new player.
    static QString addCountsFrom(const QString &source);
    /// Writes the sums of m_aside and empties table PendingCounts, which holds the same.
    Result<> writeAside();
    /// Writes \a aside and the places of every row in one statement.
    Result<> writeRanked(const QHash<QByteArray, DataStats::Counters> &aside);
    Result<DataStats::CopySummary> copyRows(QSqlDatabase source, const QString &sourceHost,
                                            const QString &host);

    bool m_writerLocked = false;
    std::optional<QSqlQuery> m_insertKeys;
    std::optional<QSqlQuery> m_addCounts;
    std::optional<QSqlQuery> m_putAside;
    // While the counts wait for the ranking: the sums of what this connection put aside, and the
    // keys it knows to be there, both forgotten with a rollback or the writer lock.
    QHash<QByteArray, DataStats::Counters> m_aside;
    qsizetype m_asideRows = 0;
    bool m_placed = false; // the ranking pass of the transaction wrote the places with the counts
    QSet<QByteArray> m_keyed;
    void forgetAside();
};
