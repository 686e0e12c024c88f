// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

/**
 * The PostgreSQL server the benchmark counts into: the one named by TOLVANE_BENCH_POSTGRES
 * (the address of a database of a user who may create others, such as
 * postgresql://me@dbhost/postgres, the password in PGPASSWORD or ~/.pgpass), or else a
 * throw-away one that pg_virtualenv starts in a temporary folder and removes when this ends.
 * The databases it creates for the runs are dropped at the end as well.
 */
class BenchPostgres
{
public:
    BenchPostgres() = default;
    ~BenchPostgres();
    BenchPostgres(const BenchPostgres &) = delete;
    BenchPostgres &operator=(const BenchPostgres &) = delete;

    /// Reaches or starts the server; false, with errorString(), when it cannot.
    bool start();
    /// A new empty database; its address, or empty on failure.
    QString create(const QString &name);
    /// What the programs that count into it need besides the address: "PGPASSWORD=...".
    QStringList environment() const { return m_environment; }
    /// How the server was found, for the report.
    QString description() const { return m_description; }
    QString errorString() const { return m_error; }

private:
    bool connectAdmin(const QString &host, int port, const QString &user, const QString &password,
                      const QString &database);

    QProcess m_virtualenv;
    QString m_prefix; // postgresql://user@host:port/
    QString m_connection = QStringLiteral("benchpostgres");
    QStringList m_created;
    QStringList m_environment;
    QString m_description;
    QString m_error;
};
