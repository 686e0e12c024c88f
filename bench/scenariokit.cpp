// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/scenariokit.h"

#include "bench/scenarios.h"
#include "bench/statscheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <unistd.h>

namespace {

const char *awkCount = "/ killed /{split($2,a,\"<\"); split($4,b,\"<\"); k[a[1]]++; d[b[1]]++} "
                       "END{for(n in k) c++; print c}";

} // namespace

ScenarioKit::RemovedAtEnd::~RemovedAtEnd()
{
    QDir(path).removeRecursively();
}

ScenarioKit::ScenarioKit(ChildRunner &runner, BenchReport &report, BenchSettings settings)
    : m_runner(runner), m_report(report), m_settings(std::move(settings)),
      m_work(QDir::tempPath() + QStringLiteral("/tolvane-bench-XXXXXX"))
{ }

bool ScenarioKit::prepare()
{
    if (!m_work.isValid())
        return false;
    // The programs measured get a home of their own: no run reads or writes the user's
    // settings.
    const QString home = m_work.filePath(QStringLiteral("home"));
    for (const char *sub : {"config", "data", "cache"})
        QDir().mkpath(home + QLatin1Char('/') + QLatin1String(sub));
    m_environment =
        QStringList {QStringLiteral("HOME=") + home,
                     QStringLiteral("XDG_CONFIG_HOME=") + home + QStringLiteral("/config"),
                     QStringLiteral("XDG_DATA_HOME=") + home + QStringLiteral("/data"),
                     QStringLiteral("XDG_CACHE_HOME=") + home + QStringLiteral("/cache")};
    m_runner.setEnvironment(m_environment);
    return true;
}

const ScenarioKit::Players *ScenarioKit::players()
{
    if (!m_players.expected) {
        m_report.progress(QStringLiteral("building the players' database first"));
        Scenarios::importPlayers(*this, 1);
    }
    return m_players.expected ? &m_players : nullptr;
}

qint64 ScenarioKit::scaled(qint64 full, qint64 least) const
{
    return std::max(least, qint64(double(full) * m_settings.scale + 0.5));
}

QString ScenarioKit::scenarioFolder(const QString &name)
{
    const QString folder = m_work.filePath(name);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

bool ScenarioKit::newRound(const QString &parent, int number, const QStringList &logs, Round &round)
{
    const QString folder = parent + QStringLiteral("/run%1").arg(number);
    QDir(folder).removeRecursively();
    round.logs = folder + QStringLiteral("/logs");
    round.database = folder + QStringLiteral("/Stats.db");
    if (!QDir().mkpath(round.logs)) {
        m_report.error(QStringLiteral("cannot create %1").arg(round.logs));
        return false;
    }
    for (const QString &log : logs) {
        if (!hardLink(log, round.logs + QLatin1Char('/') + QFileInfo(log).fileName())) {
            m_report.error(QStringLiteral("cannot link %1 into %2").arg(log, round.logs));
            return false;
        }
    }
    return true;
}

ScenarioKit::Update ScenarioKit::update(const Round &round, const QString &program)
{
    const QString output = m_work.filePath(QStringLiteral("update.out"));
    const QString errors = m_work.filePath(QStringLiteral("update.err"));
    Update result;
    result.run =
        m_runner.run({program.isEmpty() ? m_settings.tolvane : program, QStringLiteral("--update"),
                      QStringLiteral("--logs"), round.logs, QStringLiteral("--db"), round.database},
                     output, errors);
    const QStringList lines = readLines(output);
    result.summary = lines.isEmpty() ? QString() : lines.last();
    result.errors = readLines(errors);
    return result;
}

std::optional<ScenarioKit::Update> ScenarioKit::checkedUpdate(const QString &parent, int number,
                                                              const QStringList &logs,
                                                              const ExpectedStats &expected,
                                                              const QString &program)
{
    Round round;
    if (!newRound(parent, number, logs, round))
        return std::nullopt;
    flushToDisk();
    Update u = update(round, program);
    if (!succeeded(u, round) || !counted(expected, round.database))
        return std::nullopt;
    return u;
}

bool ScenarioKit::succeeded(const Update &update, const Round &round)
{
    if (!update.run.ok()) {
        m_report.error(QStringLiteral("tolvane --update failed: %1").arg(update.run.failure()),
                       update.errors);
        return false;
    }
    if (const QStringList left = logsLeft(round.logs); !left.isEmpty()) {
        m_report.error(QStringLiteral("tolvane --update left %1 finished log(s) behind, such as %2")
                           .arg(left.size())
                           .arg(left.first()));
        return false;
    }
    return true;
}

bool ScenarioKit::counted(const ExpectedStats &expected, const QString &database)
{
    StatsCheck check(expected);
    if (check.matches(database))
        return true;
    m_report.error(QStringLiteral("table Stats differs from what the logs count"),
                   check.differences());
    return false;
}

bool ScenarioKit::writeLog(const QString &path, LogGenerator &generator,
                           const std::function<bool()> &more,
                           const std::function<int(bool counted)> &pick)
{
    if (!generator.open(path)) {
        m_report.error(QStringLiteral("cannot write %1: %2").arg(path, generator.errorString()));
        return false;
    }
    while (more()) {
        const LogGenerator::Kind kind = generator.randomKind();
        const int actor = pick(LogGenerator::counts(kind));
        const int victim = kind == LogGenerator::Kind::Kill ? pick(true) : -1;
        generator.write(kind, actor, victim);
    }
    if (!generator.finish()) {
        m_report.error(QStringLiteral("cannot write %1: %2").arg(path, generator.errorString()));
        return false;
    }
    return true;
}

std::optional<ChildRun> ScenarioKit::mawkCount(const QString &log)
{
    const ChildRun run = m_runner.run(
        {QStringLiteral("mawk"), QStringLiteral("-F\""), QString::fromLatin1(awkCount), log},
        m_work.filePath(QStringLiteral("awk.out")));
    if (!run.ok()) {
        m_report.error(QStringLiteral("mawk failed: %1").arg(run.failure()));
        return std::nullopt;
    }
    return run;
}

std::optional<ChildRun> ScenarioKit::wcCount(const QString &log)
{
    const ChildRun run = m_runner.run({QStringLiteral("wc"), QStringLiteral("-l"), log},
                                      m_work.filePath(QStringLiteral("wc.out")));
    if (!run.ok()) {
        m_report.error(QStringLiteral("wc -l failed: %1").arg(run.failure()));
        return std::nullopt;
    }
    return run;
}

std::optional<ChildRun> ScenarioKit::runEach(const std::function<QStringList(int run)> &arguments,
                                             const QString &output, const QString &errors,
                                             const QString &what,
                                             const std::function<bool(const ChildRun &)> &after)
{
    std::optional<ChildRun> best;
    for (int r = 0; r < m_settings.runs; ++r) {
        const QStringList command = arguments(r);
        flushToDisk();
        m_report.progress(QStringLiteral("run %1 of %2").arg(r + 1).arg(m_settings.runs));
        const ChildRun run = m_runner.run(command, output, errors);
        if (!run.ok()) {
            m_report.error(QStringLiteral("%1 failed: %2").arg(what, run.failure()),
                           readLines(errors));
            return std::nullopt;
        }
        if (after && !after(run))
            return std::nullopt;
        if (!best || run.seconds < best->seconds)
            best = run;
    }
    return best;
}

void ScenarioKit::stopChild(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(process.processId()), SIGTERM);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
    }
}

QRegularExpressionMatch ScenarioKit::startChild(QProcess &process, const QStringList &arguments,
                                                const QString &output, const QString &errors,
                                                const QRegularExpression &ready,
                                                const QString &program)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : std::as_const(m_environment))
        environment.insert(variable.section(QLatin1Char('='), 0, 0),
                           variable.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(environment);
    // To files: a pipe nobody reads while the work goes on could fill and stop the program.
    process.setStandardOutputFile(output);
    process.setStandardErrorFile(errors);
    process.start(program.isEmpty() ? m_settings.tolvane : program, arguments);
    QRegularExpressionMatch started;
    QElapsedTimer wait;
    wait.start();
    while (!(started = ready.match(readText(output))).hasMatch()
           && process.state() != QProcess::NotRunning && wait.elapsed() < 10000)
        QThread::msleep(20);
    return started;
}

QString ScenarioKit::updateFigure(const ChildRun &run, qint64 lines, qint64 bytes)
{
    return QStringLiteral("%1, %2 lines/s, %3 MiB/s, peak memory %4")
        .arg(BenchReport::seconds(run.seconds), BenchReport::rate(double(lines) / run.seconds))
        .arg(double(bytes) / mebibyte / run.seconds, 0, 'f', 0)
        .arg(BenchReport::mib(run.peakMiB));
}

void ScenarioKit::flushToDisk()
{
    ::sync();
}

bool ScenarioKit::hardLink(const QString &from, const QString &to)
{
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool ScenarioKit::copyDatabase(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        return false;
    // A database left in write-ahead mode has part of its content beside it.
    const QString wal = from + QStringLiteral("-wal");
    return !QFile::exists(wal) || QFile::copy(wal, to + QStringLiteral("-wal"));
}

QString ScenarioKit::readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QStringList ScenarioKit::readLines(const QString &path)
{
    return readText(path).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

qint64 ScenarioKit::countLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    qint64 lines = 0;
    while (!file.atEnd())
        lines += file.read(1 << 20).count('\n');
    return lines;
}

std::optional<qint64> ScenarioKit::summaryNumber(const QString &summary, const QString &word)
{
    const QRegularExpression number(QStringLiteral("(\\d+) %1").arg(word));
    const auto match = number.match(summary);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toLongLong();
}

QStringList ScenarioKit::logsLeft(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("L*.log")}, QDir::Files);
}

double ScenarioKit::peakMiB(qint64 pid)
{
    const QRegularExpression peak(QStringLiteral("VmHWM:\\s*(\\d+) kB"));
    const auto match = peak.match(readText(QStringLiteral("/proc/%1/status").arg(pid)));
    return match.hasMatch() ? match.captured(1).toDouble() / 1024.0 : 0;
}
