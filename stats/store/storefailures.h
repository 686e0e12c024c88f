// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"

#include <QString>

class QSqlQuery;

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
        QString reason;
        template<typename T>
        operator Result<T>() const
        {
            return Result<T>::failure(reason);
        }
    };

protected:
    /// The database as failures name it: a file, or an address without its password.
    void setShown(const QString &shown) { m_shown = shown; }

    /// What failed, on this database, and why.
    Failure fail(const QString &what, const QString &why) const;
    /// What failed, on this database: the error of \a query.
    Failure fail(const QString &what, const QSqlQuery &query) const;
    /// The failure of \a result, passed on.
    template<typename T>
    static Failure passOn(const Result<T> &result)
    {
        return {result.reason()};
    }

private:
    QString m_shown;
};
