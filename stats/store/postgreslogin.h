// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>

#include <utility>

class PostgresAddress;
class QSqlDatabase;

/**
 * The first contact with a PostgreSQL server, made through libpq itself before Qt's driver
 * connects, to tell why a database cannot be opened: the server could not be reached, it
 * refused the login, or it has no such database. Qt's driver hands on libpq's text alone,
 * written in the languages of the server and of the user; the server's reason also comes as
 * its SQLSTATE, which libpq shows once it is asked for every detail.
 */
class PostgresLogin
{
public:
    enum class Outcome {
        Connected, ///< the login works: Qt's driver may connect
        Unreachable, ///< no answer from a server: none at that address, or no network
        LoginRefused, ///< the server refused the user or the password, or asked for a password
        NoDatabase, ///< the server has no database of that name
        Refused ///< the server refused for another reason (too many connections, starting up)
    };

    struct Answer
    {
        Outcome outcome = Outcome::Unreachable;
        QString message; ///< libpq's or the server's own words, without their codes
    };

    /// Connects to \a address with libpq's \a parameters (those of the address, and more) and
    /// disconnects again; waits for an answer as long as their connect_timeout says.
    static Answer tryLogin(const PostgresAddress &address,
                           const QList<std::pair<QString, QString>> &parameters);

    /// Keeps the server's notices ("NOTICE: relation ... already exists, skipping") of the
    /// driver's connection \a db from the terminal, where libpq writes them by default.
    static void silenceNotices(const QSqlDatabase &db);
};
