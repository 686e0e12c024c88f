// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/sqlitestatement.h"

#include <sqlite3.h>

SqliteStatement::SqliteStatement(sqlite3 *db, const QString &sql) : m_db(db)
{
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_statement, nullptr)
        != SQLITE_OK)
        m_statement = nullptr;
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

void SqliteStatement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(m_statement, index, value);
}

void SqliteStatement::bind(int index, QByteArrayView utf8)
{
    // A text without bytes may come without an address (SQLite hands back an empty text so),
    // and SQLite binds NULL for a text without one: the empty name is a name like any other.
    const char *bytes = utf8.constData() ? utf8.constData() : "";
    sqlite3_bind_text(m_statement, index, bytes, int(utf8.size()), SQLITE_TRANSIENT);
}

bool SqliteStatement::step()
{
    const int result = sqlite3_step(m_statement);
    m_hasRow = result == SQLITE_ROW;
    return result == SQLITE_ROW || result == SQLITE_DONE;
}

qint64 SqliteStatement::columnInt(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

QByteArray SqliteStatement::columnBytes(int column) const
{
    // SQLite gives no address for an empty value: an empty array, not a null one, stands for it.
    const auto *bytes = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
    return bytes ? QByteArray(bytes, sqlite3_column_bytes(m_statement, column)) : QByteArray("");
}

int SqliteStatement::changes() const
{
    return sqlite3_changes(m_db);
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement);
    m_hasRow = false;
}

QString SqliteStatement::errorString() const
{
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

int SqliteStatement::errorCode() const
{
    return sqlite3_extended_errcode(m_db);
}
