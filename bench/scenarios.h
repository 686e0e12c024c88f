// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "bench/benchpostgres.h"
#include "bench/benchreport.h"
#include "bench/childrunner.h"
#include "bench/expectedstats.h"
#include "bench/loggenerator.h"
#include "bench/scriptedservers.h"

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

/** What every scenario shares: the program measured, the size and the number of runs. */
struct BenchSettings
{
    QString tolvane;
    /// 1 is full size; 0.01 a quick trial.
    double scale = 1;
    /// Timed runs of each contender, the best of which counts.
    int runs = 3;
};

/**
 * The scenarios that measure Tolvane's command line, each printing its figures and targets.
 *
 * Every log is written and flushed to disk before any timing; every timed update gets a
 * folder of its own holding hard links to the logs (it deletes them) and a database of its
 * own. After each update, table Stats is compared with the counts the generator tallied.
 * "import" leaves the database of many players that "smallUpdate" and "print" work on; run
 * alone, those two build it first. "machines" counts into a PostgreSQL server (BenchPostgres).
 */
class Scenarios
{
public:
    Scenarios(ChildRunner &runner, BenchReport &report, BenchSettings settings);

    /// The scenario names, in the order "all" runs them.
    static QStringList names();
    /// Creates the work folder; false if it cannot.
    bool prepare();
    QString workFolder() const { return m_work.path(); }
    /// Runs the scenario called \a name (any letter case); false if there is none.
    bool run(const QString &name);

private:
    struct Update
    {
        ChildRun run;
        QString summary;
        QStringList errors;
    };

    /// A folder for one timed update: "logs" inside it, and its database beside.
    struct Round
    {
        QString logs;
        QString database;
    };

    void bigLog();
    void import(int runs);
    void smallUpdate();
    void print();
    void grid();
    void manyFiles();
    void longLine();
    void listen();
    void web();
    void machines();

    /// What one run of "listen" measured.
    struct ListenRun
    {
        double received = 0; ///< seconds until every line was in its spool file
        double counted = 0; ///< seconds until the last count ended
        int counts = 0;
        int window = 0; ///< datagrams of each server in flight at most
        double peakMiB = 0;
        QString lastCount;
    };
    /// Starts a listener with its spool folder and database in \a folder, has \a servers send
    /// their logs to it, stops it and checks what it counted against \a expected.
    std::optional<ListenRun> listenRun(ScriptedServers &servers, const QByteArray &secret,
                                       const ExpectedStats &expected, const QString &folder);

    /// Starts the program measured with \a arguments and the environment of every program
    /// measured, its output and errors going to the files \a output and \a errors, and waits up
    /// to 10 s for its output to match \a ready: the match, none when it never did.
    QRegularExpressionMatch startChild(QProcess &process, const QStringList &arguments,
                                       const QString &output, const QString &errors,
                                       const QRegularExpression &ready);
    /// Runs the command \a arguments(run) gives, once per timed run, each after the disk is
    /// flushed, \a after(run) looking at each outcome; the fastest run, or nothing after a
    /// failure (reported, \a what naming the program).
    std::optional<ChildRun> runEach(const std::function<QStringList(int run)> &arguments,
                                    const QString &output, const QString &errors,
                                    const QString &what,
                                    const std::function<bool(const ChildRun &)> &after = {});
    bool havePlayerDatabase();
    qint64 scaled(qint64 full, qint64 least) const;
    QString scenarioFolder(const QString &name);
    /// A round folder under \a parent with hard links to \a logs.
    bool newRound(const QString &parent, int number, const QStringList &logs, Round &round);
    Update update(const Round &round);
    /// Reports a failed run or a finished log left behind; true when neither happened.
    bool succeeded(const Update &update, const Round &round);
    /// Compares table Stats with \a expected, reporting any difference.
    bool counted(const ExpectedStats &expected, const QString &database);
    /// Writes a log of lines in a server's mix while \a more says so; \a pick chooses each
    /// player (\a counted: whether the line counts for that player).
    bool writeLog(const QString &path, LogGenerator &generator, const std::function<bool()> &more,
                  const std::function<int(bool counted)> &pick);

    ChildRunner &m_runner;
    QStringList m_environment; // of every program measured: a home of its own
    BenchReport &m_report;
    BenchSettings m_settings;
    QTemporaryDir m_work;

    // Left by "import": the database of many players and what it holds.
    QString m_playersDatabase;
    std::unique_ptr<ExpectedStats> m_players;
    int m_playerCount = 0;
};
