// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/scenarios.h"

#include "bench/statscheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <csignal>
#include <optional>
#include <unistd.h>

namespace {

constexpr double mebibyte = 1024.0 * 1024.0;
constexpr double memoryTarget = 100;
constexpr double longLineMemoryTarget = 50;

// The ranking a database engine does in one statement, without any of Tolvane's work.
const char *fullRerank =
    "UPDATE Stats SET Place = r.n FROM (SELECT rowid AS id, ROW_NUMBER() OVER (ORDER BY "
    "TotalClass DESC, rowid) AS n FROM Stats) AS r WHERE Stats.rowid = r.id";

// Kills and deaths per name: the least a count of a log can do.
const char *awkCount = "/ killed /{split($2,a,\"<\"); split($4,b,\"<\"); k[a[1]]++; d[b[1]]++} "
                       "END{for(n in k) c++; print c}";

/** Removes a scenario's files however the scenario ends. */
struct RemovedAtEnd
{
    QString path;
    ~RemovedAtEnd() { QDir(path).removeRecursively(); }
};

// What a server wrote long before the count is on disk: no timed run may pay for writing back
// what the benchmark has just written or copied.
void flushToDisk()
{
    ::sync();
}

bool hardLink(const QString &from, const QString &to)
{
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool copyDatabase(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        return false;
    // A database left in write-ahead mode has part of its content beside it.
    const QString wal = from + QStringLiteral("-wal");
    return !QFile::exists(wal) || QFile::copy(wal, to + QStringLiteral("-wal"));
}

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

qint64 countLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    qint64 lines = 0;
    while (!file.atEnd())
        lines += file.read(1 << 20).count('\n');
    return lines;
}

/// The number before \a word in an update's summary ("3 malformed lines skipped").
std::optional<qint64> summaryNumber(const QString &summary, const QString &word)
{
    const QRegularExpression number(QStringLiteral("(\\d+) %1").arg(word));
    const auto match = number.match(summary);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toLongLong();
}

QStringList logsLeft(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("L*.log")}, QDir::Files);
}

} // namespace

Scenarios::Scenarios(ChildRunner &runner, BenchReport &report, BenchSettings settings)
    : m_runner(runner), m_report(report), m_settings(std::move(settings)),
      m_work(QDir::tempPath() + QStringLiteral("/tolvane-bench-XXXXXX"))
{ }

QStringList Scenarios::names()
{
    return {QStringLiteral("bigLog"),   QStringLiteral("import"), QStringLiteral("smallUpdate"),
            QStringLiteral("print"),    QStringLiteral("grid"),   QStringLiteral("manyFiles"),
            QStringLiteral("longLine"), QStringLiteral("listen"), QStringLiteral("web"),
            QStringLiteral("machines")};
}

bool Scenarios::prepare()
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

bool Scenarios::run(const QString &name)
{
    const QString chosen = name.toLower();
    if (chosen == QLatin1String("biglog"))
        bigLog();
    else if (chosen == QLatin1String("import"))
        import(m_settings.runs);
    else if (chosen == QLatin1String("smallupdate"))
        smallUpdate();
    else if (chosen == QLatin1String("print"))
        print();
    else if (chosen == QLatin1String("grid"))
        grid();
    else if (chosen == QLatin1String("manyfiles"))
        manyFiles();
    else if (chosen == QLatin1String("longline"))
        longLine();
    else if (chosen == QLatin1String("listen"))
        listen();
    else if (chosen == QLatin1String("web"))
        web();
    else if (chosen == QLatin1String("machines"))
        machines();
    else
        return false;
    return true;
}

qint64 Scenarios::scaled(qint64 full, qint64 least) const
{
    return std::max(least, qint64(double(full) * m_settings.scale + 0.5));
}

QString Scenarios::scenarioFolder(const QString &name)
{
    const QString folder = m_work.filePath(name);
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    return folder;
}

bool Scenarios::newRound(const QString &parent, int number, const QStringList &logs, Round &round)
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

Scenarios::Update Scenarios::update(const Round &round)
{
    const QString output = m_work.filePath(QStringLiteral("update.out"));
    const QString errors = m_work.filePath(QStringLiteral("update.err"));
    Update result;
    result.run =
        m_runner.run({m_settings.tolvane, QStringLiteral("--update"), QStringLiteral("--logs"),
                      round.logs, QStringLiteral("--db"), round.database},
                     output, errors);
    const QStringList lines = readText(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    result.summary = lines.isEmpty() ? QString() : lines.last();
    result.errors = readText(errors).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return result;
}

bool Scenarios::succeeded(const Update &update, const Round &round)
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

bool Scenarios::counted(const ExpectedStats &expected, const QString &database)
{
    StatsCheck check(expected);
    if (check.matches(database))
        return true;
    m_report.error(QStringLiteral("table Stats differs from what the logs count"),
                   check.differences());
    return false;
}

bool Scenarios::writeLog(const QString &path, LogGenerator &generator,
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

void Scenarios::bigLog()
{
    const qint64 lines = scaled(1000000, 1000);
    const int players = int(scaled(5000, 20));
    m_report.scenario(QStringLiteral("bigLog"),
                      QStringLiteral("one log of %1 lines and %2 players; best of %3, "
                                     "alternating with a mawk count of kills and deaths")
                          .arg(BenchReport::count(lines), BenchReport::count(players))
                          .arg(m_settings.runs));
    const QString folder = scenarioFolder(QStringLiteral("bigLog"));
    const RemovedAtEnd cleanup {folder};
    const QString log = folder + QStringLiteral("/L1207000.log");
    ExpectedStats expected;
    LogGenerator generator(expected, 2026);
    generator.setVariantShare(0.001);
    m_report.progress(QStringLiteral("writing the log"));
    if (!writeLog(
            log, generator, [&] { return generator.lines() < lines - 1; },
            [&](bool) { return int(generator.random().bounded(players)); }))
        return;

    ChildRun best;
    ChildRun awk;
    Update shown;
    for (int r = 0; r < m_settings.runs; ++r) {
        Round round;
        if (!newRound(folder, r, {log}, round))
            return;
        flushToDisk();
        m_report.progress(QStringLiteral("run %1 of %2").arg(r + 1).arg(m_settings.runs));
        const ChildRun a = m_runner.run(
            {QStringLiteral("mawk"), QStringLiteral("-F\""), QString::fromLatin1(awkCount), log},
            folder + QStringLiteral("/awk.out"));
        if (!a.ok()) {
            m_report.error(QStringLiteral("mawk failed: %1").arg(a.failure()));
            return;
        }
        const Update u = update(round);
        if (!succeeded(u, round) || !counted(expected, round.database))
            return;
        if (r == 0 || a.seconds < awk.seconds)
            awk = a;
        if (r == 0 || u.run.seconds < best.seconds) {
            best = u.run;
            shown = u;
        }
    }
    const double megabytes = double(generator.bytes()) / mebibyte;
    m_report.figure(QStringLiteral("log"),
                    QStringLiteral("%1 lines, %2, %3 rows expected")
                        .arg(BenchReport::count(generator.lines()), BenchReport::mib(megabytes),
                             BenchReport::count(expected.rowCount())));
    m_report.figure(QStringLiteral("tolvane --update"),
                    QStringLiteral("%1, %2 lines/s, %3 MiB/s, peak memory %4")
                        .arg(BenchReport::seconds(best.seconds),
                             BenchReport::rate(double(generator.lines()) / best.seconds))
                        .arg(megabytes / best.seconds, 0, 'f', 0)
                        .arg(BenchReport::mib(best.peakMiB)));
    m_report.figure(QStringLiteral("its summary"), shown.summary);
    m_report.figure(QStringLiteral("mawk kills/deaths"), BenchReport::seconds(awk.seconds));
    m_report.figure(QStringLiteral("counts"),
                    QStringLiteral("exact in every run (%1 rows x 31 counters, places)")
                        .arg(BenchReport::count(expected.rowCount())));
    m_report.target(
        QStringLiteral("at most 0.5 x mawk (%1)").arg(BenchReport::seconds(awk.seconds * 0.5)),
        best.seconds <= 0.5 * awk.seconds);
}

void Scenarios::import(int runs)
{
    const int players = int(scaled(600000, 100));
    m_report.scenario(QStringLiteral("import"),
                      QStringLiteral("one log naming %1 new players, counted into an empty "
                                     "database; best of %2")
                          .arg(BenchReport::count(players))
                          .arg(runs));
    const QString folder = scenarioFolder(QStringLiteral("import"));
    const RemovedAtEnd cleanup {folder};
    const QString log = folder + QStringLiteral("/L1207001.log");
    auto expected = std::make_unique<ExpectedStats>();
    LogGenerator generator(*expected, 600);
    generator.setVariantShare(0.001);
    // Most counted mentions bring in a player not seen yet, until all of them are in.
    int introduced = 0;
    auto pick = [&](bool counts) {
        if (counts && introduced < players
            && (introduced == 0 || generator.random().bounded(100) < 75))
            return introduced++;
        return introduced == 0 ? 0 : int(generator.random().bounded(introduced));
    };
    m_report.progress(QStringLiteral("writing the log"));
    if (!writeLog(
            log, generator, [&] { return introduced < players; }, pick))
        return;
    if (expected->rowCount() != players) {
        m_report.error(QStringLiteral("the log names %1 players, not %2")
                           .arg(expected->rowCount())
                           .arg(players));
        return;
    }

    const QString kept = m_work.filePath(QStringLiteral("players.db"));
    ChildRun best;
    Update shown;
    for (int r = 0; r < runs; ++r) {
        Round round;
        if (!newRound(folder, r, {log}, round))
            return;
        flushToDisk();
        m_report.progress(QStringLiteral("run %1 of %2").arg(r + 1).arg(runs));
        const Update u = update(round);
        if (!succeeded(u, round))
            return;
        m_report.progress(QStringLiteral("checking %1 rows").arg(BenchReport::count(players)));
        if (!counted(*expected, round.database))
            return;
        if (r == 0 || u.run.seconds < best.seconds) {
            best = u.run;
            shown = u;
        }
        if (r == 0) {
            QFile::remove(kept);
            if (!QFile::rename(round.database, kept)) {
                m_report.error(QStringLiteral("cannot keep the database as %1").arg(kept));
                return;
            }
        }
        QDir(QFileInfo(round.logs).path()).removeRecursively();
    }
    m_report.figure(QStringLiteral("log"),
                    QStringLiteral("%1 lines, %2, %3 players")
                        .arg(BenchReport::count(generator.lines()),
                             BenchReport::mib(double(generator.bytes()) / mebibyte),
                             BenchReport::count(players)));
    const double rate = players / best.seconds;
    m_report.figure(QStringLiteral("tolvane --update"),
                    QStringLiteral("%1, %2 players/s, peak memory %3")
                        .arg(BenchReport::seconds(best.seconds), BenchReport::rate(rate),
                             BenchReport::mib(best.peakMiB)));
    m_report.figure(QStringLiteral("its summary"), shown.summary);
    m_report.figure(QStringLiteral("database"),
                    BenchReport::mib(double(QFileInfo(kept).size()) / mebibyte));
    m_report.figure(QStringLiteral("counts"),
                    QStringLiteral("exact in every run (%1 rows x 31 counters, places)")
                        .arg(BenchReport::count(players)));
    m_report.target(QStringLiteral("at least 200,000 players/s"), rate >= 200000);
    m_players = std::move(expected);
    m_playerCount = players;
    m_playersDatabase = kept;
}

bool Scenarios::havePlayerDatabase()
{
    if (m_players)
        return true;
    m_report.progress(QStringLiteral("building the players' database first"));
    import(1);
    return m_players != nullptr;
}

void Scenarios::smallUpdate()
{
    if (!havePlayerDatabase())
        return;
    constexpr qint64 lines = 1000;
    m_report.scenario(QStringLiteral("smallUpdate"),
                      QStringLiteral("a %1-line log counted into a copy of the %2-player "
                                     "database; best of %3, alternating with a full re-rank of "
                                     "another copy by sqlite3")
                          .arg(BenchReport::count(lines), BenchReport::count(m_playerCount))
                          .arg(m_settings.runs));
    const QString folder = scenarioFolder(QStringLiteral("smallUpdate"));
    const RemovedAtEnd cleanup {folder};
    const QString log = folder + QStringLiteral("/L1207002.log");
    m_report.progress(QStringLiteral("copying the expected counts"));
    ExpectedStats expected = *m_players;
    LogGenerator generator(expected, 1000);
    generator.setVariantShare(0.02);
    // Mostly players the database knows, some new ones.
    int added = 0;
    auto pick = [&](bool counts) {
        if (counts && generator.random().bounded(100) < 10)
            return m_playerCount + added++;
        return int(generator.random().bounded(m_playerCount));
    };
    if (!writeLog(
            log, generator, [&] { return generator.lines() < lines - 1; }, pick))
        return;

    ChildRun best;
    ChildRun rerank;
    Update shown;
    for (int r = 0; r < m_settings.runs; ++r) {
        Round round;
        const QString other = folder + QStringLiteral("/rerank%1.db").arg(r);
        if (!newRound(folder, r, {log}, round))
            return;
        m_report.progress(QStringLiteral("copying the database twice"));
        if (!copyDatabase(m_playersDatabase, round.database)
            || !copyDatabase(m_playersDatabase, other)) {
            m_report.error(QStringLiteral("cannot copy %1").arg(m_playersDatabase));
            return;
        }
        flushToDisk();
        m_report.progress(QStringLiteral("run %1 of %2").arg(r + 1).arg(m_settings.runs));
        const ChildRun s =
            m_runner.run({QStringLiteral("sqlite3"), other, QString::fromLatin1(fullRerank)});
        if (!s.ok()) {
            m_report.error(QStringLiteral("sqlite3 failed: %1").arg(s.failure()));
            return;
        }
        const Update u = update(round);
        if (!succeeded(u, round))
            return;
        m_report.progress(
            QStringLiteral("checking %1 rows").arg(BenchReport::count(expected.rowCount())));
        if (!counted(expected, round.database))
            return;
        if (r == 0 || s.seconds < rerank.seconds)
            rerank = s;
        if (r == 0 || u.run.seconds < best.seconds) {
            best = u.run;
            shown = u;
        }
        QDir(QFileInfo(round.logs).path()).removeRecursively();
        QFile::remove(other);
    }
    m_report.figure(QStringLiteral("log"),
                    QStringLiteral("%1 lines, %2 new players")
                        .arg(BenchReport::count(generator.lines()),
                             BenchReport::count(expected.rowCount() - m_playerCount)));
    m_report.figure(QStringLiteral("tolvane --update"),
                    QStringLiteral("%1, peak memory %2")
                        .arg(BenchReport::seconds(best.seconds), BenchReport::mib(best.peakMiB)));
    m_report.figure(QStringLiteral("its summary"), shown.summary);
    m_report.figure(QStringLiteral("sqlite3 full re-rank"), BenchReport::seconds(rerank.seconds));
    m_report.figure(QStringLiteral("counts"),
                    QStringLiteral("exact in every run (%1 rows x 31 counters, places)")
                        .arg(BenchReport::count(expected.rowCount())));
    m_report.target(QStringLiteral("at most the sqlite3 full re-rank"),
                    best.seconds <= rerank.seconds);
    m_report.target(QStringLiteral("peak memory under %1 MiB").arg(memoryTarget),
                    best.peakMiB < memoryTarget);
}

std::optional<ChildRun> Scenarios::runEach(const std::function<QStringList(int run)> &arguments,
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
                           readText(errors).split(QLatin1Char('\n'), Qt::SkipEmptyParts));
            return std::nullopt;
        }
        if (after && !after(run))
            return std::nullopt;
        if (!best || run.seconds < best->seconds)
            best = run;
    }
    return best;
}

void Scenarios::print()
{
    if (!havePlayerDatabase())
        return;
    m_report.scenario(QStringLiteral("print"),
                      QStringLiteral("tolvane --print of the %1-player database into a file; "
                                     "best of %2")
                          .arg(BenchReport::count(m_playerCount))
                          .arg(m_settings.runs));
    const QString folder = scenarioFolder(QStringLiteral("print"));
    const RemovedAtEnd cleanup {folder};
    const QString output = folder + QStringLiteral("/ranking.txt");
    const QString errors = folder + QStringLiteral("/print.err");
    const auto best = runEach(
        [&](int) {
            QFile::remove(output);
            return QStringList {m_settings.tolvane, QStringLiteral("--print"),
                                QStringLiteral("--db"), m_playersDatabase};
        },
        output, errors, QStringLiteral("tolvane --print"));
    if (!best)
        return;
    const qint64 lines = countLines(output);
    m_report.figure(QStringLiteral("tolvane --print"),
                    QStringLiteral("%1, peak memory %2")
                        .arg(BenchReport::seconds(best->seconds), BenchReport::mib(best->peakMiB)));
    m_report.figure(QStringLiteral("its output"),
                    QStringLiteral("%1 lines, %2")
                        .arg(BenchReport::count(lines),
                             BenchReport::mib(double(QFileInfo(output).size()) / mebibyte)));
    if (lines < m_playerCount + 1)
        m_report.error(
            QStringLiteral("%1 lines printed for %2 players").arg(lines).arg(m_playerCount));
    m_report.target(QStringLiteral("peak memory under %1 MiB").arg(memoryTarget),
                    best->peakMiB < memoryTarget);
}

void Scenarios::grid()
{
    if (!havePlayerDatabase())
        return;
    m_report.scenario(QStringLiteral("grid"),
                      QStringLiteral("the results window opened offscreen on the %1-player "
                                     "database, then Ctrl+End; best of %2")
                          .arg(BenchReport::count(m_playerCount))
                          .arg(m_settings.runs));
    const QString folder = scenarioFolder(QStringLiteral("grid"));
    const RemovedAtEnd cleanup {folder};
    const QString output = folder + QStringLiteral("/probe.out");
    const QString errors = folder + QStringLiteral("/probe.err");
    qint64 bestOpen = -1;
    qint64 bestEnd = -1;
    QString lastRow;
    const auto probed = runEach(
        [&](int r) {
            // A copy each time, as the window may write to the database it opens.
            const QString database = folder + QStringLiteral("/Stats%1.db").arg(r);
            QFile::copy(m_playersDatabase, database);
            return QStringList {QStringLiteral(GRIDPROBE_BINARY), database};
        },
        output, errors, QStringLiteral("the grid probe"),
        [&](const ChildRun &) {
            const QStringList lines = readText(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            if (lines.size() < 2) {
                m_report.error(QStringLiteral("the grid probe said nothing"));
                return false;
            }
            const qint64 open = lines[0].section(QLatin1Char(' '), 1, 1).toLongLong();
            const QStringList end = lines[1].split(QLatin1Char(' '));
            if (bestOpen < 0 || open < bestOpen)
                bestOpen = open;
            if (bestEnd < 0 || end.value(1).toLongLong() < bestEnd)
                bestEnd = end.value(1).toLongLong();
            lastRow = end.value(2) + QStringLiteral(" of ") + end.value(3);
            if (end.value(2) != end.value(3) || end.value(3).toInt() != m_playerCount)
                m_report.error(QStringLiteral("Ctrl+End reached row %1").arg(lastRow));
            return true;
        });
    if (!probed)
        return;
    m_report.figure(QStringLiteral("window shown"),
                    QStringLiteral("%1 ms to the first paint of the grid").arg(bestOpen));
    m_report.figure(QStringLiteral("Ctrl+End"),
                    QStringLiteral("%1 ms to show row %2").arg(bestEnd).arg(lastRow));
    m_report.target(QStringLiteral("opens in under 300 ms"), bestOpen < 300);
    m_report.target(QStringLiteral("Ctrl+End reaches the last row"),
                    lastRow == QStringLiteral("%1 of %1").arg(m_playerCount));
}

void Scenarios::manyFiles()
{
    const qint64 total = scaled(20000, 10);
    const int players = int(scaled(2000, 10));
    // A whole run at a slow pace would take many minutes: a trial on a few hundred logs finds
    // the pace first, and the runs are done on those logs when the whole set would not fit.
    constexpr qint64 trialSize = 500;
    constexpr double budgetSeconds = 180;
    m_report.scenario(QStringLiteral("manyFiles"),
                      QStringLiteral("%1 closed logs of one kill each in one folder; best of %2")
                          .arg(BenchReport::count(total))
                          .arg(m_settings.runs));
    const QString folder = scenarioFolder(QStringLiteral("manyFiles"));
    const RemovedAtEnd cleanup {folder};

    struct LogSet
    {
        QStringList logs;
        ExpectedStats expected;
    };
    auto writeSet = [&](const QString &name, qint64 count, LogSet &set) {
        const QString where = folder + QLatin1Char('/') + name;
        QDir().mkpath(where);
        LogGenerator generator(set.expected, quint32(count));
        generator.setVariantShare(0.01);
        m_report.progress(QStringLiteral("writing %1 logs").arg(BenchReport::count(count)));
        for (qint64 i = 0; i < count; ++i) {
            const QString path = where + QStringLiteral("/L%1.log").arg(i, 7, 10, QLatin1Char('0'));
            if (!generator.open(path)) {
                m_report.error(
                    QStringLiteral("cannot write %1: %2").arg(path, generator.errorString()));
                return false;
            }
            generator.write(LogGenerator::Kind::Kill, int(generator.random().bounded(players)),
                            int(generator.random().bounded(players)));
            if (!generator.finish()) {
                m_report.error(
                    QStringLiteral("cannot write %1: %2").arg(path, generator.errorString()));
                return false;
            }
            set.logs << path;
        }
        return true;
    };
    int number = 0;
    auto timeRun = [&](const LogSet &set, ChildRun &best, Update &shown) {
        Round round;
        if (!newRound(folder, number++, set.logs, round))
            return false;
        flushToDisk();
        m_report.progress(
            QStringLiteral("run on %1 logs").arg(BenchReport::count(set.logs.size())));
        const Update u = update(round);
        if (!succeeded(u, round) || !counted(set.expected, round.database))
            return false;
        if (best.seconds == 0 || u.run.seconds < best.seconds) {
            best = u.run;
            shown = u;
        }
        QDir(QFileInfo(round.logs).path()).removeRecursively();
        return true;
    };

    LogSet trial;
    LogSet whole;
    ChildRun best;
    Update shown;
    const LogSet *timed = &whole;
    int runsLeft = m_settings.runs;
    QString projection;
    if (total > trialSize) {
        ChildRun trialBest;
        Update trialShown;
        if (!writeSet(QStringLiteral("trial"), trialSize, trial)
            || !timeRun(trial, trialBest, trialShown))
            return;
        const double perRun = double(total) / (double(trialSize) / trialBest.seconds);
        if (perRun * m_settings.runs > budgetSeconds) {
            timed = &trial;
            best = trialBest;
            shown = trialShown;
            --runsLeft;
            projection = QStringLiteral("timed on %1 logs instead of %2, of which a run would "
                                        "take about %3 at this pace")
                             .arg(BenchReport::count(trialSize), BenchReport::count(total),
                                  QString::number(perRun, 'f', 0) + QStringLiteral(" s"));
        }
    }
    if (timed == &whole && !writeSet(QStringLiteral("whole"), total, whole))
        return;
    for (int r = 0; r < runsLeft; ++r) {
        if (!timeRun(*timed, best, shown))
            return;
    }
    const qint64 files = timed->logs.size();
    const double rate = double(files) / best.seconds;
    if (!projection.isEmpty())
        m_report.figure(QStringLiteral("note"), projection);
    m_report.figure(QStringLiteral("tolvane --update"),
                    QStringLiteral("%1 for %2 logs, %3 files/s, peak memory %4")
                        .arg(BenchReport::seconds(best.seconds), BenchReport::count(files),
                             BenchReport::rate(rate), BenchReport::mib(best.peakMiB)));
    m_report.figure(QStringLiteral("its summary"), shown.summary);
    m_report.figure(QStringLiteral("counts"),
                    QStringLiteral("exact in every run (%1 rows x 31 counters, places)")
                        .arg(BenchReport::count(timed->expected.rowCount())));
    m_report.target(QStringLiteral("at least 1,000 files/s"), rate >= 1000);
}

void Scenarios::longLine()
{
    const qint64 full = scaled(200 << 20, 64 << 10);
    const int players = 200;
    constexpr int ordinaryLines = 1000;
    m_report.scenario(
        QStringLiteral("longLine"),
        QStringLiteral("a closed log holding one %1 line among %2 ordinary ones; "
                       "once at half that length, once at full length")
            .arg(BenchReport::mib(double(full) / mebibyte), BenchReport::count(2 * ordinaryLines)));
    const QString folder = scenarioFolder(QStringLiteral("longLine"));
    const RemovedAtEnd cleanup {folder};

    struct Measure
    {
        qint64 bytes = 0;
        ChildRun run;
        Update update;
    };
    Measure measures[2];
    for (int m = 0; m < 2; ++m) {
        Measure &measure = measures[m];
        measure.bytes = m == 0 ? full / 2 : full;
        const QString log = folder + QStringLiteral("/L1207003.log");
        ExpectedStats expected;
        LogGenerator generator(expected, 3);
        m_report.progress(QStringLiteral("writing a log with a %1 line")
                              .arg(BenchReport::mib(double(measure.bytes) / mebibyte)));
        if (!generator.open(log)) {
            m_report.error(QStringLiteral("cannot write %1: %2").arg(log, generator.errorString()));
            return;
        }
        for (int half = 0; half < 2; ++half) {
            if (half == 1)
                generator.longMalformedLine(measure.bytes);
            for (int i = 0; i < ordinaryLines; ++i) {
                const LogGenerator::Kind kind = generator.randomKind();
                generator.write(kind, int(generator.random().bounded(players)),
                                int(generator.random().bounded(players)));
            }
        }
        if (!generator.finish()) {
            m_report.error(QStringLiteral("cannot write %1: %2").arg(log, generator.errorString()));
            return;
        }
        Round round;
        if (!newRound(folder, m, {log}, round))
            return;
        QFile::remove(log);
        flushToDisk();
        m_report.progress(QStringLiteral("run"));
        measure.update = update(round);
        measure.run = measure.update.run;
        if (!succeeded(measure.update, round) || !counted(expected, round.database))
            return;
        const auto malformed = summaryNumber(measure.update.summary, QStringLiteral("malformed"));
        if (!malformed || *malformed != generator.malformedLines()) {
            m_report.error(QStringLiteral("the summary should report %1 malformed lines (the long "
                                          "one among them): %2")
                               .arg(generator.malformedLines())
                               .arg(measure.update.summary));
            return;
        }
        QDir(QFileInfo(round.logs).path()).removeRecursively();
    }
    for (const Measure &measure : measures) {
        const double megabytes = double(measure.bytes) / mebibyte;
        m_report.figure(QStringLiteral("%1 line").arg(BenchReport::mib(megabytes)),
                        QStringLiteral("%1, %2 MiB/s, peak memory %3")
                            .arg(BenchReport::seconds(measure.run.seconds))
                            .arg(megabytes / measure.run.seconds, 0, 'f', 0)
                            .arg(BenchReport::mib(measure.run.peakMiB)));
    }
    m_report.figure(QStringLiteral("its summary"), measures[1].update.summary);
    const double ratio = measures[1].run.seconds / measures[0].run.seconds;
    m_report.figure(
        QStringLiteral("time ratio"),
        QStringLiteral("%1 for twice the length (2 is linear, 4 quadratic)").arg(ratio, 0, 'f', 2));
    m_report.figure(QStringLiteral("counts"),
                    QStringLiteral("exact around the long line, which is reported malformed"));
    m_report.target(QStringLiteral("linear time (ratio at most 2.5)"), ratio <= 2.5);
    m_report.target(QStringLiteral("peak memory under %1 MiB").arg(longLineMemoryTarget),
                    std::max(measures[0].run.peakMiB, measures[1].run.peakMiB)
                        < longLineMemoryTarget);
}

namespace {

/// The peak resident size of a running process, from /proc, in MiB; 0 when unknown.
double peakMiB(qint64 pid)
{
    const QRegularExpression peak(QStringLiteral("VmHWM:\\s*(\\d+) kB"));
    const auto match = peak.match(readText(QStringLiteral("/proc/%1/status").arg(pid)));
    return match.hasMatch() ? match.captured(1).toDouble() / 1024.0 : 0;
}

} // namespace

void Scenarios::listen()
{
    const qint64 lines = scaled(200000, 1000);
    const int players = int(scaled(5000, 20));
    m_report.scenario(QStringLiteral("listen"),
                      QStringLiteral("two game servers send a log of %1 lines each at once over "
                                     "UDP, as fast as tolvane --listen writes them; it counts "
                                     "every second, then SIGTERM and its last count; best of %2")
                          .arg(BenchReport::count(lines))
                          .arg(m_settings.runs));
    const QString folder = scenarioFolder(QStringLiteral("listen"));
    const RemovedAtEnd cleanup {folder};

    // One pool of players for both servers, as players move between servers.
    ExpectedStats expected;
    ScriptedServers servers;
    const QByteArray secret = "27182818";
    for (int s = 0; s < 2; ++s) {
        LogGenerator generator(expected, quint32(1400 + s));
        const QString log = folder + QStringLiteral("/server%1.log").arg(s);
        m_report.progress(QStringLiteral("writing the log of server %1").arg(s + 1));
        if (!writeLog(
                log, generator, [&] { return generator.lines() < lines - 1; },
                [&](bool) { return int(generator.random().bounded(players)); }))
            return;
        if (!servers.add(log, s == 0 ? QByteArray() : secret)) {
            m_report.error(servers.errorString());
            return;
        }
    }

    std::optional<ListenRun> best;
    for (int r = 0; r < m_settings.runs; ++r) {
        m_report.progress(QStringLiteral("run %1 of %2").arg(r + 1).arg(m_settings.runs));
        const std::optional<ListenRun> run =
            listenRun(servers, secret, expected, folder + QStringLiteral("/run%1").arg(r));
        if (!run)
            return;
        if (!best || run->counted < best->counted)
            best = run;
    }

    const double total = double(servers.lines());
    m_report.figure(
        QStringLiteral("sent"),
        QStringLiteral("%1 lines by two servers, one plain, one keyed; %2 rows "
                       "expected; at most %3 datagrams of each in flight")
            .arg(BenchReport::count(servers.lines()), BenchReport::count(expected.rowCount()))
            .arg(best->window));
    m_report.figure(
        QStringLiteral("received"),
        QStringLiteral("%1 lines/s: every line in its spool file after %2")
            .arg(BenchReport::rate(total / best->received), BenchReport::seconds(best->received)));
    m_report.figure(
        QStringLiteral("counted"),
        QStringLiteral("%1 lines/s: every line counted and ranked after %2, by %3 "
                       "counts (%4 while the servers sent)")
            .arg(BenchReport::rate(total / best->counted), BenchReport::seconds(best->counted))
            .arg(best->counts)
            .arg(best->counts - 1));
    m_report.figure(QStringLiteral("the last count"), best->lastCount);
    m_report.figure(QStringLiteral("listener"),
                    QStringLiteral("peak memory %1, no datagram dropped in any run")
                        .arg(BenchReport::mib(best->peakMiB)));
    m_report.figure(QStringLiteral("counts"),
                    QStringLiteral("exact in every run (%1 rows x 31 counters, places)")
                        .arg(BenchReport::count(expected.rowCount())));
}

QRegularExpressionMatch Scenarios::startChild(QProcess &process, const QStringList &arguments,
                                              const QString &output, const QString &errors,
                                              const QRegularExpression &ready)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : std::as_const(m_environment))
        environment.insert(variable.section(QLatin1Char('='), 0, 0),
                           variable.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(environment);
    // To files: a pipe nobody reads while the work goes on could fill and stop the program.
    process.setStandardOutputFile(output);
    process.setStandardErrorFile(errors);
    process.start(m_settings.tolvane, arguments);
    QRegularExpressionMatch started;
    QElapsedTimer wait;
    wait.start();
    while (!(started = ready.match(readText(output))).hasMatch()
           && process.state() != QProcess::NotRunning && wait.elapsed() < 10000)
        QThread::msleep(20);
    return started;
}

std::optional<Scenarios::ListenRun> Scenarios::listenRun(ScriptedServers &servers,
                                                         const QByteArray &secret,
                                                         const ExpectedStats &expected,
                                                         const QString &folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString spool = folder + QStringLiteral("/spool");
    const QString database = folder + QStringLiteral("/Stats.db");
    const QString output = folder + QStringLiteral("/listen.out");
    const QString errors = folder + QStringLiteral("/listen.err");
    QProcess listener;
    const QRegularExpressionMatch started = startChild(
        listener,
        {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--allow"),
         QStringLiteral("127.0.0.1:%1").arg(servers.port(0)), QStringLiteral("--allow"),
         QStringLiteral("127.0.0.1:%1/%2").arg(servers.port(1)).arg(QString::fromLatin1(secret)),
         QStringLiteral("--interval"), QStringLiteral("1"), QStringLiteral("--logs"), spool,
         QStringLiteral("--db"), database},
        output, errors,
        QRegularExpression(QStringLiteral("UDP port (\\d+) .*receive buffer (\\d+) KiB")));
    auto fail = [&](const QString &why, const QStringList &details = {}) {
        if (listener.state() != QProcess::NotRunning) {
            listener.kill();
            listener.waitForFinished();
        }
        m_report.error(why,
                       details + readText(errors).split(QLatin1Char('\n'), Qt::SkipEmptyParts));
        return std::optional<ListenRun>();
    };
    if (!started.hasMatch())
        return fail(QStringLiteral("tolvane --listen did not start"));
    ListenRun run;
    const auto port = quint16(started.captured(1).toUInt());
    // A datagram of a log line takes about a KiB of the receive buffer on the loopback, and the
    // two servers share it: each keeps at most a quarter of it in flight.
    run.window = std::max(64, started.captured(2).toInt() / 4);

    flushToDisk();
    QElapsedTimer clock;
    clock.start();
    if (!servers.sendAllButLast(port, spool, run.window, 60))
        return fail(servers.errorString());
    run.received = double(clock.nsecsElapsed()) / 1e9;
    if (!servers.sendLast())
        return fail(servers.errorString());
    run.peakMiB = peakMiB(listener.processId());
    ::kill(pid_t(listener.processId()), SIGTERM);
    if (!listener.waitForFinished(600000))
        return fail(QStringLiteral("tolvane --listen did not end after SIGTERM"));
    run.counted = double(clock.nsecsElapsed()) / 1e9;
    if (listener.exitStatus() != QProcess::NormalExit || listener.exitCode() != 0)
        return fail(
            QStringLiteral("tolvane --listen ended with exit status %1").arg(listener.exitCode()));

    // Every line counted exactly once, by the counts while the servers sent and the last one.
    const QStringList printed = readText(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    qint64 linesCounted = 0;
    QStringList dropped;
    for (const QString &line : printed) {
        if (line.startsWith(QLatin1String("tolvane: counted: "))) {
            linesCounted += summaryNumber(line, QStringLiteral("lines")).value_or(0);
            ++run.counts;
            run.lastCount = line.mid(18);
        } else if (line.contains(QLatin1String("dropped by the system"))) {
            dropped << line;
        }
    }
    if (!dropped.isEmpty())
        return fail(QStringLiteral("the system dropped datagrams"), dropped);
    if (linesCounted != servers.lines())
        return fail(QStringLiteral("the counts took %1 lines of the %2 sent")
                        .arg(linesCounted)
                        .arg(servers.lines()),
                    printed);
    if (const QStringList left = logsLeft(spool); !left.isEmpty())
        return fail(QStringLiteral("tolvane --listen left %1 spool file(s), such as %2")
                        .arg(left.size())
                        .arg(left.first()));
    if (!counted(expected, database))
        return std::nullopt;
    QDir(folder).removeRecursively();
    return run;
}

namespace {

/// One GET over a connection of its own, as a browser's first visit makes it: the time until
/// the whole answer is in, and its status; a status of 0 when the server did not answer.
struct Fetched
{
    int status = 0;
    qint64 bytes = 0;
    double milliseconds = 0;
};

Fetched fetch(quint16 port, const QByteArray &target)
{
    Fetched fetched;
    QElapsedTimer clock;
    clock.start();
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        return fetched;
    socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    // The answer is whole when its Content-Length has come: the server may keep the
    // connection open for another request.
    QByteArray answer;
    qint64 whole = -1;
    while ((whole < 0 || answer.size() < whole) && socket.waitForReadyRead(10000)) {
        answer += socket.readAll();
        const qsizetype end = answer.indexOf("\r\n\r\n");
        if (whole < 0 && end >= 0) {
            static const QRegularExpression length(QStringLiteral("\r\ncontent-length: *(\\d+)"),
                                                   QRegularExpression::CaseInsensitiveOption);
            const auto match = length.match(QString::fromLatin1(answer.left(end + 2)));
            if (match.hasMatch())
                whole = end + 4 + match.captured(1).toLongLong();
        }
    }
    fetched.milliseconds = double(clock.nsecsElapsed()) / 1e6;
    fetched.bytes = answer.size();
    if (answer.startsWith("HTTP/1.1 "))
        fetched.status = answer.mid(9, 3).toInt();
    return fetched;
}

} // namespace

void Scenarios::web()
{
    if (!havePlayerDatabase())
        return;
    m_report.scenario(QStringLiteral("web"),
                      QStringLiteral("tolvane --serve on the %1-player database: first, middle "
                                     "and last pages of both orders, a search, a player, JSON; "
                                     "each asked %2 times on a new connection")
                          .arg(BenchReport::count(m_playerCount))
                          .arg(m_settings.runs));
    const QString folder = scenarioFolder(QStringLiteral("web"));
    const RemovedAtEnd cleanup {folder};
    const QString database = folder + QStringLiteral("/Stats.db");
    if (!copyDatabase(m_playersDatabase, database)) {
        m_report.error(QStringLiteral("cannot copy the database into %1").arg(folder));
        return;
    }

    // Keys in the middle of both orders, a name to search by and a player, from the database.
    QByteArray kills;
    QByteArray search;
    QByteArray player;
    const int middle = m_playerCount / 2;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("web"));
        db.setDatabaseName(database);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT Kills, Place FROM Stats ORDER BY Kills DESC, "
                                          "Place LIMIT 1 OFFSET %1")
                               .arg(middle))
                && query.next())
                kills = query.value(0).toByteArray() + ',' + query.value(1).toByteArray();
            if (query.exec(
                    QStringLiteral("SELECT Id, Nom FROM Players LIMIT 1 OFFSET %1").arg(middle))
                && query.next()) {
                player = query.value(0).toByteArray();
                search = QUrl::toPercentEncoding(query.value(1).toString().left(3));
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("web"));
    if (kills.isEmpty() || player.isEmpty()) {
        m_report.error(QStringLiteral("cannot read keys from %1").arg(database));
        return;
    }
    const QByteArray middlePlace = QByteArray::number(middle);
    const QList<QPair<QString, QByteArray>> pages {
        {QStringLiteral("first page by places"), "/"},
        {QStringLiteral("middle page by places"), "/?after=" + middlePlace},
        {QStringLiteral("last page by places"), "/?last=1"},
        {QStringLiteral("first page by kills"), "/?by=kills"},
        {QStringLiteral("middle page by kills"), "/?by=kills&after=" + kills},
        {QStringLiteral("last page by kills"), "/?by=kills&last=1"},
        {QStringLiteral("search"), "/?q=" + search},
        {QStringLiteral("player"), "/player/" + player},
        {QStringLiteral("JSON, middle page"), "/ranking.json?after=" + middlePlace},
    };

    const QString output = folder + QStringLiteral("/serve.out");
    const QString errors = folder + QStringLiteral("/serve.err");
    QProcess server;
    flushToDisk();
    const QRegularExpressionMatch started = startChild(
        server, {QStringLiteral("--serve"), QStringLiteral("0"), QStringLiteral("--db"), database},
        output, errors, QRegularExpression(QStringLiteral("at http://127\\.0\\.0\\.1:(\\d+)/")));
    auto stop = [&server] {
        if (server.state() != QProcess::NotRunning) {
            ::kill(pid_t(server.processId()), SIGTERM);
            if (!server.waitForFinished(10000)) {
                server.kill();
                server.waitForFinished();
            }
        }
    };
    if (!started.hasMatch()) {
        stop();
        m_report.error(QStringLiteral("tolvane --serve did not start"),
                       readText(errors).split(QLatin1Char('\n'), Qt::SkipEmptyParts));
        return;
    }
    const auto port = quint16(started.captured(1).toUInt());

    double worst = 0;
    QString worstPage;
    for (const auto &[label, target] : pages) {
        double slowest = 0;
        double fastest = 0;
        qint64 bytes = 0;
        for (int r = 0; r < m_settings.runs; ++r) {
            const Fetched fetched = fetch(port, target);
            if (fetched.status != 200) {
                stop();
                m_report.error(QStringLiteral("GET %1 answered %2")
                                   .arg(QString::fromLatin1(target))
                                   .arg(fetched.status),
                               readText(errors).split(QLatin1Char('\n'), Qt::SkipEmptyParts));
                return;
            }
            slowest = std::max(slowest, fetched.milliseconds);
            fastest = r == 0 ? fetched.milliseconds : std::min(fastest, fetched.milliseconds);
            bytes = fetched.bytes;
        }
        m_report.figure(label,
                        QStringLiteral("%1 to %2 ms, %3 KiB")
                            .arg(fastest, 0, 'f', 1)
                            .arg(slowest, 0, 'f', 1)
                            .arg(bytes / 1024));
        if (slowest > worst) {
            worst = slowest;
            worstPage = label;
        }
    }
    const double peak = peakMiB(server.processId());
    stop();
    m_report.figure(QStringLiteral("slowest answer"),
                    QStringLiteral("%1 ms (%2); the server's peak memory %3")
                        .arg(worst, 0, 'f', 1)
                        .arg(worstPage, BenchReport::mib(peak)));
    m_report.target(QStringLiteral("every page in under 50 ms"), worst < 50);
}

void Scenarios::machines()
{
    constexpr int machineCount = 3;
    const int logsEach = 4;
    const qint64 linesEach = scaled(50000, 500);
    const int players = int(scaled(20000, 30));
    m_report.scenario(
        QStringLiteral("machines"),
        QStringLiteral("three machines count %1 logs of %2 lines each, named alike, into one "
                       "PostgreSQL database at once (three --host ids); against one run over "
                       "all of them into PostgreSQL and into SQLite; best of %3")
            .arg(logsEach)
            .arg(BenchReport::count(linesEach))
            .arg(m_settings.runs));
    const QString folder = scenarioFolder(QStringLiteral("machines"));
    const RemovedAtEnd cleanup {folder};

    BenchPostgres server;
    m_report.progress(QStringLiteral("reaching the PostgreSQL server"));
    if (!server.start()) {
        m_report.error(server.errorString());
        return;
    }
    QStringList environment = m_environment + server.environment();

    // One pool of players, as players move between servers; each server its own logs, named as
    // each names them, by the time they started.
    ExpectedStats expected;
    QList<QStringList> logs(machineCount);
    for (int m = 0; m < machineCount; ++m) {
        LogGenerator generator(expected, quint32(1500 + m));
        const QString where = folder + QStringLiteral("/logs%1").arg(m);
        QDir().mkpath(where);
        m_report.progress(QStringLiteral("writing the logs of machine %1").arg(m + 1));
        for (int l = 0; l < logsEach; ++l) {
            const QString log = where + QStringLiteral("/L12070%1.log").arg(l, 2, 10, QChar('0'));
            const qint64 end = generator.lines() + linesEach;
            if (!writeLog(
                    log, generator, [&] { return generator.lines() < end - 1; },
                    [&](bool) { return int(generator.random().bounded(players)); }))
                return;
            logs[m] << log;
        }
    }
    const qint64 totalLines = qint64(machineCount) * logsEach * linesEach;

    // Hard links of every log, in folders of their own: a machine's, or all in one.
    int number = 0;
    auto lay = [&](const QList<QStringList> &sets, bool oneFolder, QStringList &folders) {
        const QString round = folder + QStringLiteral("/run%1").arg(number++);
        folders.clear();
        for (int m = 0; m < sets.size(); ++m) {
            const QString where =
                round + (oneFolder ? QStringLiteral("/all") : QStringLiteral("/machine%1").arg(m));
            QDir().mkpath(where);
            if (!folders.contains(where))
                folders << where;
            for (const QString &log : sets[m]) {
                const QString name = (oneFolder ? QStringLiteral("L%1").arg(m) : QString())
                    + QFileInfo(log).fileName().mid(oneFolder ? 1 : 0);
                if (!hardLink(log, where + QLatin1Char('/') + name)) {
                    m_report.error(QStringLiteral("cannot link %1 into %2").arg(log, where));
                    return false;
                }
            }
        }
        flushToDisk();
        return true;
    };
    // Starts one update per folder at once into \a database; the seconds until the last ended.
    auto countAtOnce = [&](const QStringList &folders, const QString &database) {
        std::vector<std::unique_ptr<QProcess>> runs;
        QElapsedTimer clock;
        clock.start();
        for (int m = 0; m < folders.size(); ++m) {
            auto process = std::make_unique<QProcess>();
            process->setEnvironment(QProcess::systemEnvironment() + environment);
            process->setProcessChannelMode(QProcess::SeparateChannels);
            process->start(m_settings.tolvane,
                           {QStringLiteral("--update"), QStringLiteral("--logs"), folders[m],
                            QStringLiteral("--db"), database, QStringLiteral("--host"),
                            QStringLiteral("hlds%1").arg(m + 1)});
            runs.push_back(std::move(process));
        }
        bool ok = true;
        for (auto &process : runs) {
            if (!process->waitForFinished(3600000) || process->exitStatus() != QProcess::NormalExit
                || process->exitCode() != 0) {
                m_report.error(QStringLiteral("tolvane --update failed"),
                               QString::fromUtf8(process->readAllStandardError())
                                   .split(QLatin1Char('\n'), Qt::SkipEmptyParts));
                ok = false;
            }
        }
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        for (const QString &where : folders) {
            if (const QStringList left = logsLeft(where); ok && !left.isEmpty()) {
                m_report.error(QStringLiteral("tolvane --update left %1 finished log(s) behind")
                                   .arg(left.size()));
                ok = false;
            }
        }
        return ok && counted(expected, database) ? std::optional<double>(seconds) : std::nullopt;
    };

    double atOnce = 0;
    double serverAlone = 0;
    double fileAlone = 0;
    auto keepBest = [](double &best, double seconds) {
        best = best == 0 ? seconds : std::min(best, seconds);
    };
    for (int r = 0; r < m_settings.runs; ++r) {
        QStringList folders;
        m_report.progress(
            QStringLiteral("run %1 of %2: three machines at once").arg(r + 1).arg(m_settings.runs));
        const QString shared = server.create(QStringLiteral("machines%1").arg(r));
        if (shared.isEmpty()) {
            m_report.error(server.errorString());
            return;
        }
        if (!lay(logs, false, folders))
            return;
        const std::optional<double> three = countAtOnce(folders, shared);
        if (!three)
            return;
        keepBest(atOnce, *three);

        m_report.progress(QStringLiteral("run %1 of %2: one run over all, PostgreSQL")
                              .arg(r + 1)
                              .arg(m_settings.runs));
        const QString alone = server.create(QStringLiteral("alone%1").arg(r));
        if (alone.isEmpty()) {
            m_report.error(server.errorString());
            return;
        }
        if (!lay(logs, true, folders))
            return;
        const std::optional<double> one = countAtOnce(folders, alone);
        if (!one)
            return;
        keepBest(serverAlone, *one);

        m_report.progress(QStringLiteral("run %1 of %2: one run over all, SQLite")
                              .arg(r + 1)
                              .arg(m_settings.runs));
        if (!lay(logs, true, folders))
            return;
        const std::optional<double> file =
            countAtOnce(folders, QFileInfo(folders.first()).path() + QStringLiteral("/Stats.db"));
        if (!file)
            return;
        keepBest(fileAlone, *file);
        QDir(QFileInfo(folders.first()).path()).removeRecursively();
    }

    m_report.figure(QStringLiteral("server"), server.description());
    m_report.figure(QStringLiteral("logs"),
                    QStringLiteral("%1 lines in %2 logs on three machines; %3 rows expected")
                        .arg(BenchReport::count(totalLines))
                        .arg(machineCount * logsEach)
                        .arg(BenchReport::count(expected.rowCount())));
    auto figure = [&](const QString &what, double seconds) {
        m_report.figure(what,
                        QStringLiteral("%1, %2 lines/s")
                            .arg(BenchReport::seconds(seconds),
                                 BenchReport::rate(double(totalLines) / seconds)));
    };
    figure(QStringLiteral("three machines at once, PostgreSQL"), atOnce);
    figure(QStringLiteral("one run over all, PostgreSQL"), serverAlone);
    figure(QStringLiteral("one run over all, SQLite"), fileAlone);
    m_report.figure(QStringLiteral("counts"),
                    QStringLiteral("exact in every run (%1 rows x 31 counters, places)")
                        .arg(BenchReport::count(expected.rowCount())));
}
