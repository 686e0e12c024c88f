// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/benchpostgres.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>

BenchPostgres::~BenchPostgres()
{
    if (QSqlDatabase::contains(m_connection)) {
        {
            QSqlDatabase admin = QSqlDatabase::database(m_connection, false);
            QSqlQuery drop(admin);
            for (const QString &name : std::as_const(m_created))
                drop.exec(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(name));
            admin.close();
        }
        QSqlDatabase::removeDatabase(m_connection);
    }
    if (m_virtualenv.state() != QProcess::NotRunning) {
        // The command it runs ends with its input; pg_virtualenv then removes the cluster.
        m_virtualenv.closeWriteChannel();
        if (!m_virtualenv.waitForFinished(60000)) {
            m_virtualenv.kill();
            m_virtualenv.waitForFinished();
        }
    }
}

bool BenchPostgres::connectAdmin(const QString &host, int port, const QString &user,
                                 const QString &password, const QString &database)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        m_error = QStringLiteral("the Qt PostgreSQL driver is not installed (libqt6sql6-psql)");
        return false;
    }
    QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
    admin.setHostName(host);
    if (port > 0)
        admin.setPort(port);
    admin.setUserName(user);
    admin.setPassword(password);
    admin.setDatabaseName(database);
    if (!admin.open()) {
        m_error = QStringLiteral("cannot reach the PostgreSQL server: %1")
                      .arg(admin.lastError().databaseText().simplified());
        return false;
    }
    QString authority = user.isEmpty() ? host : user + QLatin1Char('@') + host;
    if (port > 0)
        authority += QStringLiteral(":%1").arg(port);
    m_prefix = QStringLiteral("postgresql://%1/").arg(authority);
    if (!password.isEmpty()) {
        m_environment << QStringLiteral("PGPASSWORD=") + password;
        // The check of the counts reads the databases from this process.
        qputenv("PGPASSWORD", password.toUtf8());
    }
    return true;
}

bool BenchPostgres::start()
{
    const QString given = qEnvironmentVariable("TOLVANE_BENCH_POSTGRES");
    if (!given.isEmpty()) {
        const QUrl url(given);
        if (!url.isValid()
            || (url.scheme() != QLatin1String("postgresql")
                && url.scheme() != QLatin1String("postgres"))) {
            m_error = QStringLiteral("TOLVANE_BENCH_POSTGRES takes a postgresql:// address");
            return false;
        }
        const QString password =
            url.password().isEmpty() ? qEnvironmentVariable("PGPASSWORD") : url.password();
        const QString database = url.path().mid(1);
        m_description = QStringLiteral("the server of TOLVANE_BENCH_POSTGRES, %1:%2")
                            .arg(url.host())
                            .arg(url.port(5432));
        return connectAdmin(url.host(), url.port(-1), url.userName(), password,
                            database.isEmpty() ? QStringLiteral("postgres") : database);
    }

    const QString program = QStandardPaths::findExecutable(QStringLiteral("pg_virtualenv"));
    if (program.isEmpty()) {
        m_error = QStringLiteral("no PostgreSQL server: set TOLVANE_BENCH_POSTGRES, or install "
                                 "postgresql and postgresql-common for pg_virtualenv");
        return false;
    }
    // The server lives as long as the command pg_virtualenv runs: one that prints where the
    // server is and waits for its input to end.
    m_virtualenv.setProcessChannelMode(QProcess::SeparateChannels);
    m_virtualenv.start(program,
                       {QStringLiteral("-t"), QStringLiteral("sh"), QStringLiteral("-c"),
                        QStringLiteral("env; echo ready; exec cat >/dev/null")});
    QByteArray out;
    QElapsedTimer waited;
    waited.start();
    while (!out.contains("\nready\n")) {
        if (m_virtualenv.state() == QProcess::NotRunning || waited.elapsed() > 120000) {
            m_error = QStringLiteral("pg_virtualenv did not start a server: %1")
                          .arg(QString::fromLocal8Bit(m_virtualenv.readAllStandardError()));
            return false;
        }
        m_virtualenv.waitForReadyRead(1000);
        out += m_virtualenv.readAllStandardOutput();
    }
    QMap<QString, QString> variables;
    for (const QByteArray &line : out.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (line.startsWith("PG") && equals > 0)
            variables.insert(QString::fromUtf8(line.left(equals)),
                             QString::fromUtf8(line.mid(equals + 1)));
    }
    m_description = QStringLiteral("a throw-away server started by pg_virtualenv -t");
    return connectAdmin(variables.value(QStringLiteral("PGHOST")),
                        variables.value(QStringLiteral("PGPORT")).toInt(),
                        variables.value(QStringLiteral("PGUSER")),
                        variables.value(QStringLiteral("PGPASSWORD")),
                        variables.value(QStringLiteral("PGDATABASE"), QStringLiteral("postgres")));
}

QString BenchPostgres::create(const QString &name)
{
    const QString database = QStringLiteral("tolvane_bench_%1_%2")
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(name.toLower());
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (!query.exec(QStringLiteral("CREATE DATABASE \"%1\"").arg(database))) {
        m_error = query.lastError().text();
        return {};
    }
    m_created << database;
    return m_prefix + database;
}
