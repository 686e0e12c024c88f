// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/storefailures.h"

#include "stats/store/sqlitestatement.h"

#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

using Kind = ::Failure::Kind;

Kind StoreFailures::kindOfSqlite(int resultCode)
{
    // The primary code is the low byte of an extended one.
    switch (resultCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return Kind::Busy;
    case SQLITE_READONLY:
        return Kind::ReadOnly;
    case SQLITE_FULL:
        return Kind::DiskFull;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return Kind::Corrupt;
    case SQLITE_CANTOPEN:
        return Kind::Unreachable;
    case SQLITE_IOERR:
        return Kind::Io;
    default:
        return Kind::Other;
    }
}

Kind StoreFailures::kindOf(const QString &engineCode)
{
    // A SQLSTATE has five characters, digits often; SQLite's codes, even extended, fewer.
    if (engineCode.size() != 5) {
        bool isNumber = false;
        const int number = engineCode.toInt(&isNumber);
        return isNumber ? kindOfSqlite(number) : Kind::Other;
    }
    // SQLSTATE: the class is its first two characters.
    if (engineCode == QLatin1String("55P03") || engineCode == QLatin1String("40P01"))
        return Kind::Busy; // lock_not_available (a lock timeout), deadlock_detected
    if (engineCode == QLatin1String("53100"))
        return Kind::DiskFull;
    if (engineCode == QLatin1String("25006"))
        return Kind::ReadOnly; // read_only_sql_transaction
    if (engineCode == QLatin1String("XX001") || engineCode == QLatin1String("XX002"))
        return Kind::Corrupt;
    if (engineCode == QLatin1String("58030"))
        return Kind::Io;
    if (engineCode.startsWith(QLatin1String("08")) || engineCode == QLatin1String("57P01")
        || engineCode == QLatin1String("57P03"))
        return Kind::Unreachable; // connection exceptions, a server shutting down or starting
    if (engineCode.startsWith(QLatin1String("28")))
        return Kind::LoginRefused;
    return Kind::Other;
}

StoreFailures::Failure StoreFailures::fail(const QString &what, const QString &why, Kind kind) const
{
    return {::Failure(kind, what, m_shown, why)};
}

StoreFailures::Failure StoreFailures::fail(const QString &what, const QSqlQuery &query) const
{
    return fail(what, query.lastError());
}

StoreFailures::Failure StoreFailures::fail(const QString &what, const QSqlError &error) const
{
    return fail(what, error.text(), kindOf(error.nativeErrorCode()));
}

StoreFailures::Failure StoreFailures::fail(const QString &what,
                                           const SqliteStatement &statement) const
{
    return fail(what, statement.errorString(), kindOfSqlite(statement.errorCode()));
}

StoreFailures::Failure StoreFailures::fail(const QString &what, const ::Failure &cause) const
{
    return fail(what, cause.text(), cause.kind());
}
