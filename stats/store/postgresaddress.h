// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"

#include <QList>
#include <QString>

#include <utility>

/**
 * A PostgreSQL database named the way libpq names one,
 * "postgresql://[user[:password]@][host][:port][/database][?name=value&...]" ("postgres://"
 * too), taken apart for Qt's PostgreSQL driver. What the address leaves out comes from libpq's
 * own places, as for every other PostgreSQL program: PGHOST, PGPORT, PGUSER, PGDATABASE, and
 * for the password PGPASSWORD or ~/.pgpass.
 *
 * A password written in the address is used to connect but never shown or stored:
 * withoutPassword() is the address to keep.
 */
class PostgresAddress
{
public:
    /// Whether \a location is a postgresql:// or postgres:// address (any letter case).
    static bool isPostgres(const QString &location);
    /// Takes \a uri apart; fails, saying why, on an address libpq would not take either.
    static Result<PostgresAddress> parse(const QString &uri);
    /// \a location without the password it may hold, whatever kind of address it is; a file
    /// path unchanged.
    static QString withoutPassword(const QString &location);
    /// Whether \a location is an address that holds a password, after "user:" or as a
    /// parameter.
    static bool holdsPassword(const QString &location);

    QString host() const { return m_host; } ///< empty: libpq's default
    int port() const { return m_port; } ///< -1: libpq's default
    QString user() const { return m_user; }
    QString password() const { return m_password; }
    QString database() const { return m_database; }
    /// The parameters after "?" other than the password, for the driver's connect options.
    const QList<std::pair<QString, QString>> &parameters() const { return m_parameters; }
    /// The parameters, with a bound on how long connecting may take unless the address sets
    /// one.
    QList<std::pair<QString, QString>> connectParameters() const;
    /// \a parameters in the driver's form, name='value' pairs separated by ";".
    static QString connectOptions(const QList<std::pair<QString, QString>> &parameters);

    /// The address again, without its password.
    QString withoutPassword() const;
    /// The server and the database, libpq's defaults filled in, for messages:
    /// "host:port, database name".
    QString describe() const;
    /// The user libpq logs in as, its default filled in.
    QString describeUser() const;

private:
    QString m_scheme;
    QString m_host;
    int m_port = -1;
    QString m_user;
    QString m_password;
    QString m_database;
    QList<std::pair<QString, QString>> m_parameters;
};
