// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"

#include <QString>

class QSqlError;
class QSqlQuery;
class SqliteStatement;

/**
 * How the classes of the statistics store fail: every failure names the database,
 * "<what> (<database>): <why>", and converts to the result of whatever operation fails.
 */
class StoreFailures
{
public:
    /// A failure on its way out, whatever the result type of the operation that fails.
    struct Failure
    {
        ::Failure why;
        template<typename T>
        operator Result<T>() const
        {
            return Result<T>::failure(why);
        }
    };

    /// The kind of an engine's error code: SQLite's result code (a number of at most four
    /// digits) or PostgreSQL's SQLSTATE (five characters).
    static ::Failure::Kind kindOf(const QString &engineCode);
    static ::Failure::Kind kindOfSqlite(int resultCode);

protected:
    /// The database as failures name it: a file, or an address without its password.
    void setShown(const QString &shown) { m_shown = shown; }

    /// What failed, on this database, and why.
    Failure fail(const QString &what, const QString &why,
                 ::Failure::Kind kind = ::Failure::Kind::Other) const;
    /// What failed, on this database: the error of \a query.
    Failure fail(const QString &what, const QSqlQuery &query) const;
    /// What failed, on this database: \a error as the engine reported it.
    Failure fail(const QString &what, const QSqlError &error) const;
    /// What failed, on this database: the error of \a statement.
    Failure fail(const QString &what, const SqliteStatement &statement) const;
    /// What failed, on this database, because of \a cause: its detail and its kind.
    Failure fail(const QString &what, const ::Failure &cause) const;
    /// The failure of \a result, passed on.
    template<typename T>
    static Failure passOn(const Result<T> &result)
    {
        return {result.failure()};
    }

private:
    QString m_shown;
};
