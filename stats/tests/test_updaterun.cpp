// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/testsupport/testfiles.h"
#include "stats/analysis/updaterun.h"
#include "stats/store/datastats.h"
#include "stats/tests/statstestsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace StatsTest;

namespace {

struct Recorder final : UpdateObserver
{
    QStringList files;
    qint64 lines = 0;
    qint64 next = 0;
    bool inOrder = true;
    std::function<void(int)> onLine; // told the file number
    void fileStarted(int number, int total, qint64 lastLineIndex) override
    {
        files << QString("%1/%2:%3").arg(number).arg(total).arg(lastLineIndex);
        next = 0;
    }
    void lineProcessed(qint64 lineIndex) override
    {
        inOrder = inOrder && lineIndex == next++;
        ++lines;
        if (onLine)
            onLine(int(files.size()));
    }
};

bool append(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::Append) && f.write(bytes) == bytes.size();
}

} // namespace

class TestUpdateRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    void cleanup();
    void countsMatchingFilesAndLeavesOthers();
    void countsTheSameWhateverTheLineEnds_data();
    void countsTheSameWhateverTheLineEnds();
    void decodesEachNameByItsOwnEncoding();
    void removesApostrophesAndSkipsMalformedLines();
    void countsALiveFileOnlyOnce();
    void tellsANewFileFromAnOldOneOfTheSameName();
    void leavesAFileReplacedWhileItWasCounted();
    void aResetRecountsTheKeptFiles();
    void failureKeepsTheFileAndNoneOfItsCounts();
    void ranksEvenWithoutLogs();
    void reportsAMissingFolder();
    void killedRunsCountEveryEventExactlyOnce();
    void concurrentRunsCountEveryEventOnce();
    void machinesCountIntoOneDatabaseAtOnce();
    void keepsEachMachinesProgressApart();
    void countsPlayersWithOverlongNames();
    void countsNamesTheCleanUpShortens_data();
    void countsNamesTheCleanUpShortens();
    void waitsForAnotherWriter_data();
    void waitsForAnotherWriter();

private:
    bool run(Recorder *recorder = nullptr);
    /// Starts "tolvane --update" on the logs of \a logs into \a db, with \a more options.
    static std::unique_ptr<QProcess> startUpdate(const QString &logs, const QString &db,
                                                 const QStringList &more = {});
    /// Writes \a files into \a folder as L0.log, L1.log... (L00.log, L01.log... for a \a width
    /// of 2, which keeps the order of the files in the order of their names).
    static bool lay(const QList<QByteArray> &files, const QString &folder, int width = 1);
    /// The table one run alone makes of \a files, laid out \a width wide, which every other way
    /// of counting them must end with, and in \a elapsedMs how long that run took; empty when
    /// the run failed.
    QMap<QString, QStringList> countUndisturbed(const QList<QByteArray> &files, int *elapsedMs,
                                                int width = 1);
    /// Compares the table of the database \a db with \a want, row for row.
    static void compareWith(const QMap<QString, QStringList> &want, const QString &db);
    /// Timings from a random seed, printed so that a failure can be run again.
    static QRandomGenerator seededTimings();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestDatabases> m_databases;
    QString m_logs;
    QString m_location; // the database of m_store
    std::unique_ptr<DataStats> m_store;
    QString m_error;
};

void TestUpdateRun::initTestCase_data()
{
    TestDatabases::addEngines();
}

void TestUpdateRun::init()
{
    QFETCH_GLOBAL(QString, engine);
    m_dir = std::make_unique<QTemporaryDir>();
    m_databases = std::make_unique<TestDatabases>(engine, m_dir->path());
    if (m_databases->onServer() && !TestDatabases::serverGiven())
        QSKIP(TestDatabases::notGiven());
    m_logs = m_dir->filePath("logs");
    QVERIFY(QDir().mkpath(m_logs));
    m_location = m_databases->create("Stats");
    QVERIFY2(!m_location.isEmpty(), qPrintable(m_databases->errorString()));
    m_store = std::make_unique<DataStats>();
    QVERIFY(m_store->open(m_location));
}

void TestUpdateRun::cleanup()
{
    m_store.reset();
    m_databases.reset();
    m_dir.reset();
}

bool TestUpdateRun::run(Recorder *recorder)
{
    const Result<> counted = UpdateRun(*m_store, m_logs).run(recorder);
    m_error = counted.reason();
    return counted.ok();
}

void TestUpdateRun::countsMatchingFilesAndLeavesOthers()
{
    const QByteArray one = log({kill("A", "B", "awp")});
    QVERIFY(TestFiles::write(m_logs + "/L0805064.log", one));
    QVERIFY(TestFiles::write(m_logs + "/l0805065.LOG", log({kill("A", "C", "awp"), suicide("C")})));
    QVERIFY(TestFiles::write(m_logs + "/L.log", log({triggered("B", "Planted_The_Bomb")})));
    const QStringList others = {"x0805064.log", "L0805064.txt", "L0805064.log.bak", "notes"};
    for (const QString &name : others)
        QVERIFY(TestFiles::write(m_logs + "/" + name, one));
    QVERIFY(QDir(m_logs).mkdir("L_folder.log"));
    QVERIFY(QFile::link(m_logs + "/notes", m_logs + "/Llink.log"));

    Recorder recorder;
    QVERIFY2(run(&recorder), qPrintable(m_error));
    QCOMPARE(recorder.files, (QStringList {"1/3:2", "2/3:2", "3/3:3"}));
    QCOMPARE(recorder.lines, 3 + 3 + 4);
    QVERIFY(recorder.inOrder);
    QStringList left =
        QDir(m_logs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    left.sort();
    QStringList expected = others + QStringList {"L_folder.log", "Llink.log"};
    expected.sort();
    QCOMPARE(left, expected);
    QCOMPARE(row(*m_store, "A").value("Kills").toInt(), 2);
    QCOMPARE(row(*m_store, "B").value("Kills").toInt(), 1);
    QCOMPARE(row(*m_store, "C").value("suicide").toInt(), 1);
    QCOMPARE(row(*m_store, "A").value("Place").toInt(), 1);
}

void TestUpdateRun::countsTheSameWhateverTheLineEnds_data()
{
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::newRow("CR LF") << QByteArray("\r\n");
    QTest::newRow("LF") << QByteArray("\n");
    QTest::newRow("CR") << QByteArray("\r");
}

void TestUpdateRun::countsTheSameWhateverTheLineEnds()
{
    QFETCH(QByteArray, lineEnd);
    QVERIFY(TestFiles::write(
        m_logs + "/L1.log",
        log({kill("A", "B", "awp"), kill("B", "A", "usp"), kill("A", "B", "knife")}, lineEnd)));
    QVERIFY2(run(), qPrintable(m_error));
    QCOMPARE(row(*m_store, "A").value("Kills").toInt(), 2);
    QCOMPARE(row(*m_store, "A").value("Deaths").toInt(), 1);
    QCOMPARE(row(*m_store, "B").value("s1_1_usp").toInt(), 1);
    QVERIFY(!QFile::exists(m_logs + "/L1.log"));
}

void TestUpdateRun::decodesEachNameByItsOwnEncoding()
{
    QVERIFY(TestFiles::write(m_logs + "/L1.log",
                             log({kill("\xc9lodie",
                                       "\xc7"
                                       "a",
                                       "awp")})));
    QVERIFY(TestFiles::write(m_logs + "/L2.log", log({kill("\xc3\x89LODIE", "\xd0\x94", "awp")})));
    // Old and new clients on one server: one Windows-1252 name in a file of UTF-8 names.
    QVERIFY(TestFiles::write(m_logs + "/L3.log",
                             log({kill("Zo\xc3\xa9", "Ren\xe9", "awp"),
                                  kill("\xc3\x89lodie", "\xf0\x9f\x98\x80 (2)", "awp")})));
    QVERIFY2(run(), qPrintable(m_error));
    QCOMPARE(row(*m_store, "Élodie").value("Kills").toInt(), 3);
    QCOMPARE(row(*m_store, "Ça").value("Deaths").toInt(), 1);
    QCOMPARE(row(*m_store, "Д").value("Deaths").toInt(), 1);
    QCOMPARE(row(*m_store, "Zoé").value("Kills").toInt(), 1);
    QCOMPARE(row(*m_store, "René").value("Deaths").toInt(), 1);
    QCOMPARE(row(*m_store, "😀").value("Deaths").toInt(), 1);
    QCOMPARE(StatsTest::rowCount(*m_store), 6);

    // The same names again find their rows: none is garbled into a new one.
    QVERIFY(TestFiles::write(m_logs + "/L4.log",
                             log({kill("Zo\xc3\xa9", "Ren\xe9", "awp"),
                                  kill("\xc3\x89lodie", "\xf0\x9f\x98\x80 (2)", "awp")})));
    QVERIFY2(run(), qPrintable(m_error));
    QCOMPARE(StatsTest::rowCount(*m_store), 6);
    QCOMPARE(row(*m_store, "😀").value("Deaths").toInt(), 2);
}

void TestUpdateRun::removesApostrophesAndSkipsMalformedLines()
{
    QVERIFY(TestFiles::write(
        m_logs + "/L1.log",
        log({kill("O'Neil", "B", "awp"), stamp() + "Server say \"no suicide\"",
             stamp() + "Server say \"they killed it\"", kill("ONeil", "B", "awp")})));
    UpdateRun update(*m_store, m_logs);
    const Result<> counted = update.run();
    QVERIFY2(counted, qPrintable(counted.reason()));
    QCOMPARE(update.summary().malformed, 2);
    QCOMPARE(update.summary().events, 2);
    QCOMPARE(update.summary().lines, 6);
    QCOMPARE(row(*m_store, "ONeil").value("Kills").toInt(), 2);
}

void TestUpdateRun::countsALiveFileOnlyOnce()
{
    const QString path = m_logs + "/L0805064.log";
    QVERIFY(TestFiles::write(
        path, started() + "\n" + kill("A", "B", "awp") + "\n" + kill("A", "B", "ak47").chopped(4)));
    QVERIFY2(run(), qPrintable(m_error));
    QVERIFY(QFile::exists(path));
    QCOMPARE(row(*m_store, "A").value("Kills").toInt(), 1);

    // The server finishes the half-written line and goes on.
    QVERIFY(append(path, "k47\"\n" + kill("B", "A", "awp") + "\n"));
    QVERIFY2(run(), qPrintable(m_error));
    QVERIFY(QFile::exists(path));
    QCOMPARE(row(*m_store, "A").value("Kills").toInt(), 2);
    QCOMPARE(row(*m_store, "A").value("p4_1_ak47").toInt(), 1);
    QCOMPARE(row(*m_store, "B").value("Kills").toInt(), 1);

    QVERIFY(append(path, kill("C", "A", "awp") + "\n" + closed()));
    QVERIFY2(run(), qPrintable(m_error));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(row(*m_store, "A").value("Deaths").toInt(), 2);
    QCOMPARE(row(*m_store, "A").value("Kills").toInt(), 2);
    QCOMPARE(row(*m_store, "C").value("Kills").toInt(), 1);
}

void TestUpdateRun::tellsANewFileFromAnOldOneOfTheSameName()
{
    const QString path = m_logs + "/L0805064.log";
    QVERIFY(TestFiles::write(path, stamp(1) + "Log file started\n" + kill("A", "B", "awp") + "\n"));
    QVERIFY2(run(), qPrintable(m_error));
    // Someone removed the live file; the server later writes a new one under the same name.
    QVERIFY(TestFiles::write(path, log({kill("A", "B", "awp"), kill("A", "B", "awp")})));
    QVERIFY2(run(), qPrintable(m_error));
    QCOMPARE(row(*m_store, "A").value("Kills").toInt(), 3);
    QVERIFY(!QFile::exists(path));
}

void TestUpdateRun::leavesAFileReplacedWhileItWasCounted()
{
    const QString path = m_logs + "/L0805064.log";
    QVERIFY(TestFiles::write(path, log({kill("A", "B", "awp")})));
    const QString shipped = m_dir->filePath("shipped.log");
    QVERIFY(TestFiles::write(shipped, log({kill("C", "D", "awp"), kill("C", "D", "awp")})));
    Recorder recorder;
    recorder.onLine = [&](int) {
        // Log shipping renames the next day's file over the name while it is being counted.
        if (QFile::exists(shipped))
            QCOMPARE(std::rename(qPrintable(shipped), qPrintable(path)), 0);
    };
    QVERIFY2(run(&recorder), qPrintable(m_error));
    QCOMPARE(row(*m_store, "A").value("Kills").toInt(), 1);
    QVERIFY2(QFile::exists(path), "the file renamed over the counted one was deleted uncounted");

    QVERIFY2(run(), qPrintable(m_error));
    QCOMPARE(row(*m_store, "C").value("Kills").toInt(), 2);
    QCOMPARE(row(*m_store, "A").value("Kills").toInt(), 1);
    QVERIFY(!QFile::exists(path));
}

void TestUpdateRun::aResetRecountsTheKeptFiles()
{
    const QString path = m_logs + "/L0805064.log";
    QVERIFY(TestFiles::write(path, started() + "\n" + kill("A", "B", "awp") + "\n"));
    QVERIFY2(run(), qPrintable(m_error));
    QVERIFY(m_store->clearStats());
    QVERIFY2(run(), qPrintable(m_error));
    QCOMPARE(row(*m_store, "A").value("Kills").toInt(), 1);
    QCOMPARE(row(*m_store, "B").value("Deaths").toInt(), 1);
}

void TestUpdateRun::failureKeepsTheFileAndNoneOfItsCounts()
{
    // Small files share a transaction: a failure keeps every file of it and none of its counts.
    QVERIFY(TestFiles::write(m_logs + "/L1.log", log({kill("A", "B", "awp")})));
    QVERIFY(
        TestFiles::write(m_logs + "/L2.log", log({kill("A", "B", "awp"), kill("C", "B", "awp")})));
    Recorder recorder;
    recorder.onLine = [this](int number) {
        // Breaks the store in the middle of the second file's transaction.
        if (number == 2)
            QSqlQuery(m_store->database()).exec("DROP TABLE \"LogProgress\"");
    };
    QVERIFY(!run(&recorder));
    QVERIFY(m_error.contains("log progress"));
    // A run that failed is not shown as the last update.
    QVERIFY(!m_store->lastUpdate().value().has_value());
    QVERIFY(QFile::exists(m_logs + "/L1.log"));
    QVERIFY(QFile::exists(m_logs + "/L2.log"));
    QVERIFY(row(*m_store, "A").isEmpty());
    QVERIFY(row(*m_store, "C").isEmpty());

    const QDateTime before = QDateTime::currentDateTimeUtc();
    QVERIFY2(run(), qPrintable(m_error));
    const std::optional<QDateTime> updated = m_store->lastUpdate().value();
    QVERIFY(updated && *updated >= before.addMSecs(-1)
            && *updated <= QDateTime::currentDateTimeUtc());
    QCOMPARE(row(*m_store, "A").value("Kills").toInt(), 2);
    QCOMPARE(row(*m_store, "C").value("Kills").toInt(), 1);
    QVERIFY(!QFile::exists(m_logs + "/L1.log"));
}

void TestUpdateRun::ranksEvenWithoutLogs()
{
    QVERIFY(StatsTest::addToPlayer(*m_store, "Low", {}));
    DataStats::Counters high {};
    high[StatsColumns::TotalClass - StatsColumns::FirstCounter] = 4;
    QVERIFY(StatsTest::addToPlayer(*m_store, "High", high));
    Recorder recorder;
    QVERIFY2(run(&recorder), qPrintable(m_error));
    QVERIFY(recorder.files.isEmpty());
    QVERIFY(m_store->lastUpdate().value().has_value());
    QCOMPARE(row(*m_store, "High").value("Place").toInt(), 1);
    QCOMPARE(row(*m_store, "Low").value("Place").toInt(), 2);
}

void TestUpdateRun::reportsAMissingFolder()
{
    m_logs = m_dir->filePath("nowhere");
    QVERIFY(!run());
    QVERIFY(m_error.contains("nowhere"));
}

std::unique_ptr<QProcess> TestUpdateRun::startUpdate(const QString &logs, const QString &db,
                                                     const QStringList &more)
{
    auto process = std::make_unique<QProcess>();
    process->start(TOLVANE_BINARY, QStringList {"--update", "--logs", logs, "--db", db} + more);
    return process;
}

bool TestUpdateRun::lay(const QList<QByteArray> &files, const QString &folder, int width)
{
    bool laid = true;
    for (int f = 0; f < files.size(); ++f)
        laid = TestFiles::write(folder + QString("/L%1.log").arg(f, width, 10, QLatin1Char('0')),
                                files[f])
            && laid;
    return laid;
}

QMap<QString, QStringList> TestUpdateRun::countUndisturbed(const QList<QByteArray> &files,
                                                           int *elapsedMs, int width)
{
    const QString clean = m_dir->filePath("clean");
    const QString db = m_databases->create("clean");
    if (!lay(files, clean, width))
        return {};
    QElapsedTimer clock;
    clock.start();
    const auto reference = startUpdate(clean, db);
    if (!reference->waitForFinished(60000) || reference->exitCode() != 0)
        return {};
    *elapsedMs = int(clock.elapsed());
    DataStats expected;
    if (!expected.open(db))
        return {};
    return table(expected);
}

void TestUpdateRun::compareWith(const QMap<QString, QStringList> &want, const QString &db)
{
    DataStats actual;
    QVERIFY(actual.open(db));
    const auto got = table(actual);
    QCOMPARE(got.size(), want.size());
    for (auto it = want.cbegin(); it != want.cend(); ++it)
        QCOMPARE(got.value(it.key()), it.value());
}

QRandomGenerator TestUpdateRun::seededTimings()
{
    // Another run of the same timings: TIMING_SEED=<the seed printed>.
    bool given = false;
    const quint32 seed = qEnvironmentVariable("TIMING_SEED").toUInt(&given);
    const quint32 used = given ? seed : QRandomGenerator::global()->generate();
    qInfo("timings seeded with %u", used);
    return QRandomGenerator(used);
}

void TestUpdateRun::killedRunsCountEveryEventExactlyOnce()
{
    // Four closed logs and one the server is still writing, big enough for kills to land
    // in the middle of files and of commits.
    const QList<QByteArray> weapons = {"awp", "ak47", "knife", "m4a1", "famas", "deagle"};
    QList<QByteArray> files;
    QRandomGenerator random(42);
    for (int f = 0; f < 5; ++f) {
        QList<QByteArray> lines;
        for (int i = 0; i < 40000; ++i) {
            const QByteArray a = "P" + QByteArray::number(random.bounded(300));
            const QByteArray b = "P" + QByteArray::number(random.bounded(300));
            const int kind = random.bounded(20);
            lines << (kind == 0       ? suicide(a)
                          : kind == 1 ? triggered(a, "Planted_The_Bomb")
                                      : kill(a, b, weapons[random.bounded(weapons.size())]));
        }
        files << (f < 4 ? log(lines) : log(lines).chopped(closed().size() + 1));
    }
    int whole = 0;
    const auto want = countUndisturbed(files, &whole);
    QVERIFY(!want.isEmpty());

    const QString killed = m_dir->filePath("killed");
    QVERIFY(lay(files, killed));
    const QString db = m_databases->create("killed");
    QRandomGenerator timing = seededTimings();
    int kills = 0;
    for (int attempt = 0; attempt < 15; ++attempt) {
        const auto process = startUpdate(killed, db);
        QVERIFY(process->waitForStarted());
        // Anywhere from start-up to the end of a whole run, so kills land in every stage.
        QTest::qWait(1 + int(timing.bounded(std::max(2, whole))));
        if (process->state() == QProcess::Running) {
            process->kill(); // SIGKILL: no clean-up of any kind runs
            ++kills;
        }
        process->waitForFinished();
    }
    // The killed runs must have got somewhere, or the last run alone would do all the work.
    const auto left = QDir(killed).entryList(QDir::Files).size();
    qInfo("%d runs killed part-way, %d of 5 files left", kills, int(left));
    QVERIFY(kills > 0);
    QVERIFY(left < 5);
    const auto last = startUpdate(killed, db);
    QVERIFY(last->waitForFinished(60000));
    QVERIFY2(last->exitCode() == 0, last->readAllStandardError().constData());

    compareWith(want, db);
    QCOMPARE(QDir(killed).entryList(QDir::Files), QStringList {"L4.log"});
}

void TestUpdateRun::concurrentRunsCountEveryEventOnce()
{
    // Names in several spellings, so that two runs racing would each add a row for one player.
    QList<QByteArray> files;
    QRandomGenerator random(7);
    for (int f = 0; f < 6; ++f) {
        QList<QByteArray> lines;
        for (int i = 0; i < 6000; ++i) {
            const int n = random.bounded(400);
            const QByteArray a = (random.bounded(2) ? "p" : "P") + QByteArray::number(n);
            const QByteArray b = "P" + QByteArray::number(random.bounded(400));
            lines << (i % 50 == 0 ? suicide(a) : kill(a, b, "awp"));
        }
        files << (f < 5 ? log(lines) : log(lines).chopped(closed().size() + 1));
    }
    int whole = 0;
    const auto want = countUndisturbed(files, &whole);
    QVERIFY(!want.isEmpty());

    QRandomGenerator timing = seededTimings();
    for (int round = 0; round < 6; ++round) {
        // A new database each round, so that the schema itself is created by racing runs too.
        const QString logs = m_dir->filePath(QString("logs%1").arg(round));
        const QString db = m_databases->create(QString("round%1").arg(round));
        QVERIFY(lay(files, logs));
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int r = 0; r < 3; ++r) {
            runs.push_back(startUpdate(logs, db));
            QTest::qWait(int(timing.bounded(std::max(1, whole / 2))));
        }
        for (auto &process : runs) {
            // Already finished counts: waitForFinished() says false for a process that has.
            QVERIFY(process->state() == QProcess::NotRunning || process->waitForFinished(120000));
            QVERIFY2(process->exitCode() == 0, process->readAllStandardError().constData());
        }
        compareWith(want, db);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(QDir(logs).entryList(QDir::Files), QStringList {"L5.log"});
    }
}

void TestUpdateRun::machinesCountIntoOneDatabaseAtOnce()
{
    // Three servers with logs of the same names, each machine counting its own folder into the
    // one database. Players who play on every server are spelled alike; each server's own are
    // spelled in several ways, so that the row of a player keeps one spelling whichever machine
    // counts first.
    constexpr int machines = 3;
    constexpr int filesEach = 4;
    QList<QList<QByteArray>> logs(machines);
    QList<QByteArray> all;
    QRandomGenerator random(15);
    for (int m = 0; m < machines; ++m) {
        for (int f = 0; f < filesEach; ++f) {
            QList<QByteArray> lines;
            const QByteArray own = "M" + QByteArray::number(m) + "x";
            auto player = [&] {
                const QByteArray n = QByteArray::number(random.bounded(300));
                return random.bounded(2) ? "Shared" + n
                                         : (random.bounded(2) ? own : own.toLower()) + n;
            };
            for (int i = 0; i < 3000; ++i) {
                const QByteArray a = player();
                lines << (i % 40 == 0 ? triggered(a, "Planted_The_Bomb")
                                      : kill(a, player(), "m4a1"));
            }
            // The last log of each server is still being written.
            logs[m] << (f + 1 < filesEach ? log(lines) : log(lines).chopped(closed().size() + 1));
        }
        all += logs[m];
    }
    int whole = 0;
    // One run over all of them takes each server's logs in their order, as its machine does.
    const auto want = countUndisturbed(all, &whole, 2);
    QVERIFY(!want.isEmpty());

    QRandomGenerator timing = seededTimings();
    for (int round = 0; round < 4; ++round) {
        const QString db = m_databases->create(QString("machines%1").arg(round));
        QVERIFY(!db.isEmpty());
        std::vector<std::unique_ptr<QProcess>> runs;
        QStringList folders;
        for (int m = 0; m < machines; ++m) {
            folders << m_dir->filePath(QString("machine%1-%2").arg(m).arg(round));
            QVERIFY(lay(logs[m], folders.last()));
        }
        for (int m = 0; m < machines; ++m) {
            runs.push_back(startUpdate(folders[m], db, {"--host", QString("hlds%1").arg(m)}));
            QTest::qWait(int(timing.bounded(std::max(1, whole / 4))));
        }
        for (auto &process : runs) {
            QVERIFY(process->state() == QProcess::NotRunning || process->waitForFinished(120000));
            QVERIFY2(process->exitCode() == 0, process->readAllStandardError().constData());
        }
        compareWith(want, db);
        if (QTest::currentTestFailed())
            return;
        for (const QString &folder : std::as_const(folders))
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList {"L3.log"});
    }
}

void TestUpdateRun::keepsEachMachinesProgressApart()
{
    // Two servers started in the same second begin L0805064.log alike; each machine counts its
    // own into the one database.
    const QString path = m_logs + "/L0805064.log";
    const QByteArray begun = started() + "\n" + kill("A", "B", "awp") + "\n";
    QVERIFY(TestFiles::write(path, begun));
    m_store->setHost("hlds-a");
    QVERIFY2(run(), qPrintable(m_error));
    QCOMPARE(row(*m_store, "A").value("Kills").toInt(), 1);

    QVERIFY(TestFiles::write(path, begun + kill("A", "B", "ak47") + "\n" + closed()));
    m_store->setHost("hlds-b");
    QVERIFY2(run(), qPrintable(m_error));
    QCOMPARE(row(*m_store, "A").value("Kills").toInt(), 3);
    QCOMPARE(row(*m_store, "A").value("p4_1_ak47").toInt(), 1);
    QVERIFY(!QFile::exists(path));
}

void TestUpdateRun::countsPlayersWithOverlongNames()
{
    // The game keeps names short, but a forged line may carry any: its player is counted like
    // any other, and the logs after it as well.
    QByteArray name;
    QRandomGenerator random(5);
    while (name.size() < 100000)
        name += random.bounded(3) ? QByteArray::number(random.generate(), 36) : QByteArray("é€");
    QVERIFY(TestFiles::write(m_logs + "/L1.log",
                             log({kill(name, "B", "awp"), kill(name.toUpper(), "B", "awp")})));
    QVERIFY(TestFiles::write(m_logs + "/L2.log", log({kill("B", "C", "ak47")})));
    QVERIFY2(run(), qPrintable(m_error));
    QVERIFY(QDir(m_logs).isEmpty());
    const QMap<QString, QStringList> rows = table(*m_store);
    QCOMPARE(rows.size(), 3);
    const auto it = std::find_if(rows.cbegin(), rows.cend(), [&name](const QStringList &row) {
        return row.value(StatsColumns::Nom).startsWith(QString::fromUtf8(name.left(1000)));
    });
    QVERIFY(it != rows.cend());
    QCOMPARE(it->value(StatsColumns::Kills), QString("2"));
    QCOMPARE(row(*m_store, "B").value("Kills").toInt(), 1);
}

void TestUpdateRun::countsNamesTheCleanUpShortens_data()
{
    // Spellings of one player, each cleaned to the same name; each log names him under the next.
    QTest::addColumn<QList<QByteArray>>("spellings");
    QTest::addColumn<QString>("nom");
    QTest::newRow("a tag alone cleans to nothing")
        << QList<QByteArray> {"[Pro]", "[POD]", "[PRO]"} << QString("");
    QTest::newRow("a clan prefix alone cleans to nothing")
        << QList<QByteArray> {"(1)", "(2) (x)", "[Pro]"} << QString("");
    QTest::newRow("a 4-byte character in front of a suffix cleans to nothing")
        << QList<QByteArray> {"\xf0\x9f\x98\x80(2)", "[Pro]", "x(3)"} << QString("");
    QTest::newRow("one character is left")
        << QList<QByteArray> {"[Pro]x", "(1)x", "x (clan)"} << QString("x");
    QTest::newRow("a 4-byte character is left behind the cut")
        << QList<QByteArray> {"[Pro]\xf0\x9f\x98\x80", "(1)\xf0\x9f\x98\x80",
                              "\xf0\x9f\x98\x80 (2)"}
        << QString("😀");
    QTest::newRow("the cut falls after a 4-byte character")
        << QList<QByteArray> {"[P\xf0\x9f\x98\x80\xf0\x9f\x98\x80]ab", "(\xf0\x9f\x98\x80)ab",
                              "ab\xf0\x9f\x98\x80(x)"}
        << QString("ab");
}

void TestUpdateRun::countsNamesTheCleanUpShortens()
{
    QFETCH(QList<QByteArray>, spellings);
    QFETCH(QString, nom);
    // One log a run, as a server's timer counts them: every later log names the player again.
    for (int f = 0; f < 3; ++f) {
        const QByteArray player = spellings[f % spellings.size()];
        QVERIFY(TestFiles::write(m_logs + QString("/L%1.log").arg(f),
                                 log({kill(player, "Other", "awp"), kill("Other", player, "ak47"),
                                      triggered(player, "Planted_The_Bomb"), suicide(player)})));
        const auto process = startUpdate(m_logs, m_location);
        QVERIFY(process->waitForFinished(60000));
        QVERIFY2(process->exitCode() == 0, process->readAllStandardError().constData());
        QVERIFY(QDir(m_logs).isEmpty());
    }
    const QVariantMap player = row(*m_store, nom);
    QVERIFY2(!player.isEmpty(), "the player's row is missing");
    QCOMPARE(player.value("Nom").toString(), nom);
    QCOMPARE(player.value("Kills").toInt(), 6);
    QCOMPARE(player.value("Deaths").toInt(), 6);
    QCOMPARE(player.value("suicide").toInt(), 3);
    QCOMPARE(player.value("p4_6_awp").toInt(), 3);
    QCOMPARE(row(*m_store, "Other").value("Deaths").toInt(), 3);
    QCOMPARE(StatsTest::rowCount(*m_store), 2);

    // Read back as every reader reads it: listed with the key of its player, and found by it.
    DataStats::PageRequest first;
    const Result<DataStats::RankingPage> page = m_store->rankingPage(first);
    QVERIFY2(page, qPrintable(page.reason()));
    const auto listed = std::find_if(page->rows.cbegin(), page->rows.cend(),
                                     [&nom](const auto &r) { return r.nom == nom; });
    QVERIFY(listed != page->rows.cend());
    QVERIFY(listed->id != 0);
    const auto standing = m_store->player(listed->id);
    QVERIFY2(standing && standing->has_value(), "the player cannot be found by his key");
    QCOMPARE((*standing)->row.nom, nom);
    QCOMPARE((*standing)->row.kills(), 6);
}

void TestUpdateRun::waitsForAnotherWriter_data()
{
    QTest::addColumn<int>("waitSeconds");
    QTest::addColumn<int>("releaseAfterMs");
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<int>("kills");
    QTest::addColumn<bool>("kept");
    QTest::newRow("the other finishes in time") << 30 << 1500 << QString() << 0 << 1 << false;
    QTest::newRow("the bound passes first") << 1 << -1 << QString() << 3 << 0 << true;
    QTest::newRow("the log grows while the run waits") << 30 << 1500 << "grows" << 0 << 3 << false;
    QTest::newRow("another log takes its name while the run waits")
        << 30 << 1500 << "replaced" << 0 << 2 << false;
    QTest::newRow("another run counts the log while this one waits")
        << 30 << -1 << "counted" << 0 << 1 << false;
    QTest::newRow("another run counts a live log while this one waits")
        << 30 << -1 << "counted live" << 0 << 1 << true;
}

void TestUpdateRun::waitsForAnotherWriter()
{
    QFETCH(int, waitSeconds);
    QFETCH(int, releaseAfterMs);
    QFETCH(QString, meanwhile);
    QFETCH(int, exitCode);
    QFETCH(int, kills);
    QFETCH(bool, kept);
    const QString db = m_location;
    const QString path = m_logs + "/L1.log";
    const QByteArray live = started() + "\n" + kill("A", "B", "awp") + "\n";
    QVERIFY(
        TestFiles::write(path, meanwhile == "counted live" ? live : log({kill("A", "B", "awp")})));
    QVERIFY(m_store->lockWriter(std::chrono::milliseconds(0)));

    const auto process = startUpdate(m_logs, db, {"--wait", QString::number(waitSeconds)});
    QVERIFY(process->waitForStarted());
    // Once it says it waits, the run has read what it could of the logs.
    QString err;
    QTRY_VERIFY_WITH_TIMEOUT(
        (err += QString::fromUtf8(process->readAllStandardError())).contains("waiting"), 30000);
    if (meanwhile == "grows") {
        QVERIFY(append(path, log({kill("A", "B", "awp"), kill("A", "C", "awp")})));
    } else if (meanwhile == "replaced") {
        const QString shipped = m_dir->filePath("shipped.log");
        QVERIFY(TestFiles::write(shipped, log({kill("A", "D", "awp"), kill("A", "D", "awp")})));
        QCOMPARE(std::rename(qPrintable(shipped), qPrintable(path)), 0);
    } else if (meanwhile.startsWith("counted")) {
        // Under the lock the test holds, which the run gives up when it ends.
        QVERIFY2(run(), qPrintable(m_error));
    }
    if (releaseAfterMs >= 0) {
        QVERIFY(!process->waitForFinished(releaseAfterMs));
        m_store->unlockWriter();
    }
    QVERIFY(process->waitForFinished(60000));
    m_store->unlockWriter();
    err += QString::fromUtf8(process->readAllStandardError());
    QVERIFY2(process->exitCode() == exitCode, qPrintable(err));
    QCOMPARE(err.count("waiting"), 1);
    QCOMPARE(row(*m_store, "A").value("Kills").toInt(), kills);
    QCOMPARE(QFile::exists(path), kept);
}

QTEST_GUILESS_MAIN(TestUpdateRun)
#include "test_updaterun.moc"
