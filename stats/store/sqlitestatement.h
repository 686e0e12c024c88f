// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

/**
 * One prepared statement on the store's own SQLite connection, for the statements that run
 * once per player: through the C interface a value costs a few nanoseconds to bind, where a
 * QVariant round trip costs more than SQLite's own work on a row.
 */
class SqliteStatement
{
public:
    SqliteStatement(sqlite3 *db, const QString &sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    bool isValid() const { return m_statement != nullptr; }
    /// Binds the 1-based parameter \a index.
    void bind(int index, qint64 value);
    void bind(int index, QByteArrayView utf8);
    /// Runs one step: true while it yields a row (see hasRow()) or once it is done.
    bool step();
    bool hasRow() const { return m_hasRow; }
    qint64 columnInt(int column) const;
    QByteArray columnBytes(int column) const;
    /// Rows the last step changed.
    int changes() const;
    /// Ready for new values; the bindings are kept until replaced.
    void reset();
    QString errorString() const;
    /// SQLite's extended result code of the last failure on the connection.
    int errorCode() const;

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_statement = nullptr;
    bool m_hasRow = false;
};
