// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"
#include "stats/store/datastats.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>

/** Log lines in the server's own layout, and readers of the store, for the Tolvane tests. */
namespace StatsTest {

QByteArray stamp(int second = 0);
QByteArray kill(const QByteArray &killer, const QByteArray &victim, const QByteArray &weapon);
QByteArray suicide(const QByteArray &player);
QByteArray triggered(const QByteArray &player, const QByteArray &event);
QByteArray started();
QByteArray closed();

/// A whole log: "Log file started", the lines, "Log file closed", each ended by \a lineEnd.
QByteArray log(const QList<QByteArray> &lines, const QByteArray &lineEnd = "\n");

/// Every column of the row whose Nom is exactly \a nom; empty when there is none.
QVariantMap row(DataStats &store, const QString &nom);
/// Nom -> all 33 values in table order (Place included), for comparing two whole stores.
QMap<QString, QStringList> table(DataStats &store);
/// The number of rows in table Stats, or -1 when it cannot be read.
int rowCount(DataStats &store);
/// Adds \a delta to the player \a nom through DataStats::addToPlayers(), creating the key and
/// the row for a new player; the spelling the player's row has.
Result<QString> addToPlayer(DataStats &store, const QString &nom, const DataStats::Counters &delta);

/**
 * The databases of one test, on the engine a global data row names (addEngines()): SQLite files
 * in the test's folder, or databases of their own on the PostgreSQL server the tests were given,
 * dropped at the end. The server is given by TOLVANE_TEST_POSTGRES, an address such as
 * postgresql://user@host:5432 (its database, if any, is the one connected to for creating the
 * others), or else by libpq's own PGHOST or PGPORT, as pg_virtualenv sets them.
 */
class TestDatabases
{
public:
    /// The global data of a test run on both engines: column "engine", "SQLite" and
    /// "PostgreSQL".
    static void addEngines();
    /// Whether a PostgreSQL server was given.
    static bool serverGiven();
    /// Why the PostgreSQL rows are skipped.
    static const char *notGiven();

    /// Databases on \a engine ("SQLite" or "PostgreSQL"), the files in \a folder.
    TestDatabases(QString engine, QString folder);
    ~TestDatabases();
    TestDatabases(const TestDatabases &) = delete;
    TestDatabases &operator=(const TestDatabases &) = delete;

    bool onServer() const { return m_onServer; }
    /// A new empty database, by its file path or its address; empty when it cannot be made.
    QString create(const QString &name);
    /// Why the last create() failed.
    QString errorString() const { return m_error; }

private:
    bool m_onServer = false;
    QString m_folder;
    QString m_admin; // the connection that creates and drops the databases
    QString m_prefix; // the address of a database, short of its name
    QString m_suffix; // the address's parameters
    QStringList m_created;
    QString m_error;
};

} // namespace StatsTest
