// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "bench/benchreport.h"
#include "bench/childrunner.h"
#include "bench/expectedstats.h"
#include "bench/loggenerator.h"

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
    /// Another build timed beside it by the scenarios that count logs; empty for none.
    QString baseline;
    /// 1 is full size; 0.01 a quick trial.
    double scale = 1;
    /// Timed runs of each contender, the best of which counts.
    int runs = 3;
};

/**
 * What the scenarios that measure Tolvane's command line work with: the work folder, the
 * launcher of the programs measured, the report, and the ways every scenario times an update and
 * checks what it counted.
 *
 * Every log is written and flushed to disk before any timing; every timed update gets a
 * folder of its own holding hard links to the logs (it deletes them) and a database of its
 * own. After each update, table Stats is compared with the counts the generator tallied.
 * "import" leaves the database of many players that "smallUpdate", "print", "grid" and "web"
 * work on; run alone, those build it first.
 */
class ScenarioKit
{
public:
    static constexpr double mebibyte = 1024.0 * 1024.0;
    static constexpr double memoryTarget = 100;

    /** Removes a scenario's files however the scenario ends. */
    struct RemovedAtEnd
    {
        QString path;
        ~RemovedAtEnd();
    };
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
    /// The database of many players that "import" leaves, and what it holds.
    struct Players
    {
        QString database;
        std::unique_ptr<ExpectedStats> expected;
        int count = 0;
    };

    ScenarioKit(ChildRunner &runner, BenchReport &report, BenchSettings settings);

    /// Creates the work folder; false if it cannot.
    bool prepare();
    QString workFolder() const { return m_work.path(); }
    QString workPath(const QString &name) const { return m_work.filePath(name); }
    BenchReport &report() { return m_report; }
    ChildRunner &runner() { return m_runner; }
    const BenchSettings &settings() const { return m_settings; }
    /// Of every program measured: a home of its own.
    const QStringList &environment() const { return m_environment; }
    /// The players' database, built by "import" first when it is not there yet; nullptr when
    /// that failed.
    const Players *players();
    void keepPlayers(Players players) { m_players = std::move(players); }

    qint64 scaled(qint64 full, qint64 least) const;
    /// An empty folder for the scenario \a name.
    QString scenarioFolder(const QString &name);
    /// A round folder under \a parent with hard links to \a logs.
    bool newRound(const QString &parent, int number, const QStringList &logs, Round &round);
    /// An update of \a round by the program measured, or by \a program.
    Update update(const Round &round, const QString &program = {});
    /// An update by the program measured, or by \a program, of hard links to \a logs in round
    /// \a number under \a parent, its result and table Stats checked against \a expected;
    /// nothing when it failed or counted wrong (reported).
    std::optional<Update> checkedUpdate(const QString &parent, int number, const QStringList &logs,
                                        const ExpectedStats &expected, const QString &program = {});
    /// Reports a failed run or a finished log left behind; true when neither happened.
    bool succeeded(const Update &update, const Round &round);
    /// Compares table Stats with \a expected, reporting any difference.
    bool counted(const ExpectedStats &expected, const QString &database);
    /// Writes a log of lines in a server's mix while \a more says so; \a pick chooses each
    /// player (\a counted: whether the line counts for that player).
    bool writeLog(const QString &path, LogGenerator &generator, const std::function<bool()> &more,
                  const std::function<int(bool counted)> &pick);
    /// A mawk count of the kills and deaths of each name in \a log, the least a count of a log
    /// can do; nothing when it failed (reported).
    std::optional<ChildRun> mawkCount(const QString &log);
    /// `wc -l` of \a log, which reads it and does nothing else; nothing when it failed
    /// (reported).
    std::optional<ChildRun> wcCount(const QString &log);
    /// Runs the command \a arguments(run) gives, once per timed run, each after the disk is
    /// flushed, \a after(run) looking at each outcome; the fastest run, or nothing after a
    /// failure (reported, \a what naming the program).
    std::optional<ChildRun> runEach(const std::function<QStringList(int run)> &arguments,
                                    const QString &output, const QString &errors,
                                    const QString &what,
                                    const std::function<bool(const ChildRun &)> &after = {});
    /// Starts the program measured, or \a program, with \a arguments and the environment of
    /// every program measured, its output and errors going to the files \a output and \a errors,
    /// and waits up to 10 s for its output to match \a ready: the match, none when it never did.
    QRegularExpressionMatch startChild(QProcess &process, const QStringList &arguments,
                                       const QString &output, const QString &errors,
                                       const QRegularExpression &ready,
                                       const QString &program = {});

    /// Ends a program startChild() started: SIGTERM, as a service manager stops it, then a kill
    /// if it is still there after 10 s.
    static void stopChild(QProcess &process);

    /// An update's figures for a log of \a lines lines and \a bytes bytes: its time, lines/s,
    /// MiB/s and peak memory.
    static QString updateFigure(const ChildRun &run, qint64 lines, qint64 bytes);

    // What a server wrote long before the count is on disk: no timed run may pay for writing
    // back what the benchmark has just written or copied.
    static void flushToDisk();
    static bool hardLink(const QString &from, const QString &to);
    static bool copyDatabase(const QString &from, const QString &to);
    static QString readText(const QString &path);
    static QStringList readLines(const QString &path);
    static qint64 countLines(const QString &path);
    /// The number before \a word in an update's summary ("3 malformed lines skipped").
    static std::optional<qint64> summaryNumber(const QString &summary, const QString &word);
    static QStringList logsLeft(const QString &folder);
    /// The peak resident size of a running process, from /proc, in MiB; 0 when unknown.
    static double peakMiB(qint64 pid);

private:
    ChildRunner &m_runner;
    QStringList m_environment;
    BenchReport &m_report;
    BenchSettings m_settings;
    QTemporaryDir m_work;
    Players m_players;
};
