#pragma once

#include "statscolumns.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <array>
#include <memory>
#include <optional>

class QSqlQuery;
class QSqlQueryModel;

/**
 * Tolvane's statistics store: one SQLite database (the connection BdStats) holding table Stats,
 * the ranking views Class (by kills) and Class2 (by place), and the record of how far each log
 * file has been counted. The database is created with its schema on first use.
 *
 * The grid binds to the record sources "Class2" and "Class" through recordSource(); the update
 * run writes through the player and progress operations, each file's work inside one
 * transaction so that a run killed at any moment counts every event exactly once.
 */
class DataStats
{
public:
    using Counters = std::array<qint64, StatsColumns::CounterCount>;

    struct PlayerRow
    {
        qint64 rowId = 0;
        QString nom;
    };

    struct FileProgress
    {
        qint64 offset = 0; ///< bytes counted from the start of the file
        QByteArray headDigest; ///< identifies the file: digest of its first bytes
        qint64 headLength = 0; ///< how many first bytes the digest covers
    };

    DataStats();
    ~DataStats();
    DataStats(const DataStats &) = delete;
    DataStats &operator=(const DataStats &) = delete;

    /// Opens (creating file and schema when missing) the database at \a path.
    bool open(const QString &path);
    bool isOpen() const;
    QString path() const { return m_path; }
    /// The reason of the last failure, naming the file where it matters.
    QString errorString() const { return m_error; }

    /// "Class2" or "Class" (any letter case): a read-only model of all 33 columns in that
    /// source's order, opened on first request; nullptr for another name or a closed store.
    QSqlQueryModel *recordSource(const QString &dataMember);
    /// Closes rsClass and rsClass2 (their models are emptied) so the next request reads afresh.
    void closeRecordSets();

    bool beginTransaction();
    bool commit();
    void rollback();

    /// Every row of Stats in table order (the order new rows were added).
    std::optional<QList<PlayerRow>> players();
    /// Adds a row with Nom = \a nom and the given counters; returns its row id.
    std::optional<qint64> insertPlayer(const QString &nom, const Counters &counters);
    /// Adds \a delta to the counters of row \a rowId.
    bool addToPlayer(qint64 rowId, const Counters &delta);
    /// Number of rows in table Stats, or -1 when it cannot be read.
    int rowCount();

    std::optional<FileProgress> fileProgress(const QString &fileName);
    bool setFileProgress(const QString &fileName, const FileProgress &progress);
    bool removeFileProgress(const QString &fileName);

    /// Numbers Place 1..n by descending TotalClass; ties keep the table order.
    bool rankPlayers();
    /// Empties table Stats (one statement in one transaction).
    bool clearStats();

    QSqlDatabase database() const;

private:
    bool fail(const QString &what, const QString &reason);
    bool createSchema();

    std::unique_ptr<QSqlQuery> m_insertPlayer;
    std::unique_ptr<QSqlQuery> m_addToPlayer;
    QString m_connectionName;
    QString m_path;
    QString m_error;
    std::unique_ptr<QSqlQueryModel> m_rsClass;
    std::unique_ptr<QSqlQueryModel> m_rsClass2;
};
