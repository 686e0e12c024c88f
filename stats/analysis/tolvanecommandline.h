// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/analysis/updaterun.h"
#include "stats/store/datastats.h"

#include <QStringList>

#include <chrono>

class QTextStream;
class SettingsStore;

/**
 * Tolvane's command line, read by one parser whether it opens the windows or not:
 * "[--logs DIR] [--db FILE]" opens the ranking window, and for server operators who run it from
 * cron,
 * "--update [--logs DIR] [--db FILE] [--wait SECONDS]" counts the logs and prints a one-line
 * summary,
 * "--print [--by places|kills] [--db FILE]" prints the ranking as an aligned table,
 * "--store [--logs DIR] [--db FILE] [--host ID]" keeps a log folder, a database and a host for
 * the runs that follow (a timer's plain "--update" among them),
 * "--copy-to URI [--db FILE]" copies a database file into an empty PostgreSQL database,
 * "--listen [ADDRESS:]PORT --allow ADDRESS[:PORT][/SECRET]... [--interval SECONDS]
 * [--keep-free MIB] [--logs DIR] [--db FILE]" receives the game servers' log stream over UDP and
 * counts it as it comes,
 * "--serve [ADDRESS:]PORT [--db FILE]" serves the ranking as web pages, and
 * "--html DIR [--db FILE]" writes its first pages as static files.
 * The database is a file or a postgresql:// address; several machines that count into one
 * database tell their logs apart by their host.
 * Options take their value after a blank or after "=" alike.
 */
class TolvaneCommandLine
{
public:
    /// What a command line asks for.
    struct Request
    {
        enum class Action {
            Windows,
            Update,
            Print,
            Store,
            CopyTo,
            Listen,
            Serve,
            Html,
            Help,
            Version,
            Wrong
        };

        Action action = Action::Windows;
        QString logFolder; ///< --logs; empty for the stored one
        QString database; ///< --db; empty for the stored one
        QString host; ///< --host; empty for the stored one
        QString copyTo; ///< --copy-to
        DataStats::Ranking order = DataStats::Ranking::Places; ///< --by
        std::chrono::seconds wait = UpdateRun::defaultWaitBound; ///< --wait
        QString listen; ///< --listen: [ADDRESS:]PORT
        QStringList allow; ///< --allow, each ADDRESS[:PORT][/SECRET]
        std::chrono::seconds interval {60}; ///< --interval
        qint64 keepFreeMiB = -1; ///< --keep-free; -1 for the listener's default
        QString address = QStringLiteral("127.0.0.1"); ///< --serve: the address listened on
        quint16 port = 0; ///< --serve: the port; 0 for a free one
        QString htmlFolder; ///< --html
        QString wrong; ///< what is wrong with the command line, for Action::Wrong
    };

    /// Reads \a arguments, the program name first.
    static Request parse(const QStringList &arguments);

    TolvaneCommandLine(SettingsStore &settings, QTextStream &out, QTextStream &err);

    /// Carries out a request without windows; the process exit code: 0 done, 1 the work failed,
    /// 2 the command line is wrong (a request for the windows among them), 3 another update kept
    /// the database past the wait bound and nothing was counted. --serve answers requests until
    /// the process is ended.
    int run(const Request &request);

private:
    /// Says why the work failed; exit status 1.
    int failed(const QString &reason);
    int update(const QString &logs, const QString &database, const QString &host,
               std::chrono::milliseconds waitBound);
    int print(DataStats::Ranking order, const QString &database);
    int store(const QString &logs, const QString &database, const QString &host);
    int copyTo(const QString &target, const QString &database, const QString &host);
    int listen(const Request &request);
    int serve(const QString &address, quint16 port, const QString &database);
    int html(const QString &folder, const QString &database);

    SettingsStore &m_settings;
    QTextStream &m_out;
    QTextStream &m_err;
};
