// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/core/gameconfig.h"
#include "configmanager/core/quorrelcommandline.h"
#include "configmanager/tests/quorreltestbed.h"
#include "platform/settings/settingsstore.h"
#include "platform/testsupport/fulldisk.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

using Applied = GameConfig::Applied;
/// How applying ends: an outcome, or nothing when it fails.
using Ended = std::optional<Applied>;
using CommandMode = CommandLine::Ask;
using Key = QuorrelSettings::Key;

class TestGameConfig : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void deriveConfigFolder_data();
    void deriveConfigFolder();
    void listing_data();
    void listing();
    void apply_data();
    void apply();
    void applyKeepsOneBackup();
    void captureNewAndExisting_data();
    void captureNewAndExisting();
    void captureRefusesName_data();
    void captureRefusesName();
    void captureWhenCopyFails_data();
    void captureWhenCopyFails();
    void commandLine_data();
    void commandLine();
    void takesQtsOptionsOutOfTheModName();

private:
    std::unique_ptr<QuorrelTestbed> m_bed;
};

void TestGameConfig::init()
{
    m_bed = std::make_unique<QuorrelTestbed>();
    QVERIFY(m_bed->isValid());
    QVERIFY(m_bed->registerGameFile());
}

void TestGameConfig::cleanup()
{
    m_bed.reset();
}

void TestGameConfig::deriveConfigFolder_data()
{
    QTest::addColumn<QString>("configFile");
    QTest::addColumn<QString>("folder");

    QTest::newRow("game's own file") << QStringLiteral("/home/p/.steam/cstrike/config.cfg")
                                     << QStringLiteral("/home/p/.steam/cstrike/Configs/");
    QTest::newRow("capitalised as the dialog filter")
        << QStringLiteral("/jeux/cstrike/Config.cfg") << QStringLiteral("/jeux/cstrike/Configs/");
    QTest::newRow("longer file name") << QStringLiteral("/jeux/cstrike/userconfig.cfg")
                                      << QStringLiteral("/jeux/cstrike/Configs/");
    QTest::newRow("shorter than ten characters")
        << QStringLiteral("/a.cfg") << QStringLiteral("/Configs/");
    QTest::newRow("hand-typed file name only")
        << QStringLiteral("c.cfg") << QStringLiteral("Configs/");
    QTest::newRow("folder typed with separator")
        << QStringLiteral("/jeux/cstrike/") << QStringLiteral("/jeux/cstrike/Configs/");
    QTest::newRow("nothing registered") << QString() << QString();
}

void TestGameConfig::deriveConfigFolder()
{
    QFETCH(QString, configFile);
    QFETCH(QString, folder);

    QCOMPARE(GameConfig::deriveConfigFolder(configFile), folder);
    QVERIFY(m_bed->set(Key::RepertoryFile, configFile));
    QCOMPARE(m_bed->config().ConfigFolder(), folder);
}

void TestGameConfig::listing_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("no library folder") << QStringList {} << QStringList {};
    QTest::newRow("names without their ending")
        << QStringList {QStringLiteral("cfg1.cfg"), QStringLiteral("with space.cfg")}
        << QStringList {QStringLiteral("cfg1"), QStringLiteral("with space")};
    QTest::newRow("ending in any letter case")
        << QStringList {QStringLiteral("A.CFG"), QStringLiteral("b.Cfg"), QStringLiteral("c.cfg")}
        << QStringList {QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("c")};
    QTest::newRow("other files, folders and hidden files left out")
        << QStringList {QStringLiteral("keep.cfg"), QStringLiteral("notes.txt"),
                        QStringLiteral("keep.cfg.bak"), QStringLiteral("folder.cfg/"),
                        QStringLiteral(".hidden.cfg")}
        << QStringList {QStringLiteral("keep")};
}

void TestGameConfig::listing()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, names);

    for (const QString &file : files) {
        if (file.endsWith(QLatin1Char('/')))
            QVERIFY(QDir().mkpath(m_bed->library() + file));
        else
            QVERIFY(m_bed->storeConfig(file, "bind w +forward\n"));
    }
    // The folder's own order is kept, so compare as sets.
    QStringList listed = m_bed->config().RefreshConfigList();
    listed.sort();
    names.sort();
    QCOMPARE(listed, names);
}

void TestGameConfig::apply_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("launchFails");
    QTest::addColumn<QString>("writeFails");
    QTest::addColumn<Ended>("ended");
    QTest::addColumn<bool>("copied");

    const QString fast = QStringLiteral("fast");
    const QString hl = QStringLiteral("\"/opt/Half Life/hl.sh\" -game cstrike");
    const Ended fails;
    QTest::newRow("stored file missing")
        << fast << false << hl << false << QString() << Ended(Applied::Missing) << false;
    QTest::newRow("empty name") << QString() << true << hl << false << QString()
                                << Ended(Applied::NothingToApply) << false;
    QTest::newRow("no command line")
        << fast << true << QString() << false << QString() << Ended(Applied::NoCommand) << true;
    QTest::newRow("everything in place")
        << fast << true << hl << false << QString() << Ended(Applied::GameStarted) << true;
    QTest::newRow("game cannot start") << fast << true << hl << true << QString() << fails << true;
    QTest::newRow("game's file cannot be written")
        << fast << true << hl << false << QStringLiteral("refused") << fails << false;
    QTest::newRow("disk full") << fast << true << hl << false << QStringLiteral("full disk")
                               << fails << false;
}

void TestGameConfig::apply()
{
    QFETCH(QString, name);
    QFETCH(bool, stored);
    QFETCH(QString, command);
    QFETCH(bool, launchFails);
    QFETCH(QString, writeFails);
    QFETCH(Ended, ended);
    QFETCH(bool, copied);

    const QString gameFile = m_bed->gameFile();
    std::unique_ptr<FullDisk> disk;
    if (writeFails == QLatin1String("full disk")) {
        disk = std::make_unique<FullDisk>(m_bed->gameFolder());
        if (!disk->isMounted())
            QSKIP(qPrintable(disk->whyNot()));
        QVERIFY(TestFiles::write(gameFile, "name \"player\"\r\n"));
    }
    const QByteArray storedContent("rate 25000\r\n\xe9t\xe9\n");
    if (stored)
        QVERIFY(m_bed->storeConfig(QStringLiteral("fast.cfg"), storedContent));
    QVERIFY(m_bed->set(Key::ExecFile, command));
    m_bed->launcher().fails = launchFails;
    if (writeFails == QLatin1String("refused"))
        m_bed->files().failingPath = gameFile;
    if (disk)
        QVERIFY(disk->fill());

    const QString given = name;
    const auto applied = m_bed->config().ApplyConfig(name);
    QVERIFY2((applied ? Ended(*applied) : Ended()) == ended, qPrintable(applied.reason()));
    QCOMPARE(TestFiles::read(gameFile), copied ? storedContent : QByteArray("name \"player\"\r\n"));
    // A backup, where there is one, is the whole file it replaced.
    const QString backup = gameFile + QStringLiteral(".bak");
    if (QFile::exists(backup))
        QCOMPARE(TestFiles::read(backup), QByteArray("name \"player\"\r\n"));
    // The reason names the file that could not be written, or the command that did not start.
    if (!applied)
        QVERIFY2(applied.reason().contains(launchFails ? command : gameFile),
                 qPrintable(applied.reason()));
    const bool started = ended == Applied::GameStarted || launchFails;
    QCOMPARE(m_bed->launcher().commands, started ? QStringList {command} : QStringList {});
    // Only a configuration that has gone empties the name given.
    QCOMPARE(name, ended == Applied::Missing ? QString() : given);
}

void TestGameConfig::applyKeepsOneBackup()
{
    QVERIFY(m_bed->storeConfig(QStringLiteral("one.cfg"), "one\n"));
    QVERIFY(m_bed->storeConfig(QStringLiteral("TWO.CFG"), "two\n"));
    const QString gameFile = m_bed->gameFile();
    QString name = QStringLiteral("one");
    QVERIFY(m_bed->config().ApplyConfig(name));
    QCOMPARE(TestFiles::read(gameFile + QStringLiteral(".bak")), QByteArray("name \"player\"\r\n"));
    // The list shows TWO.CFG as "TWO", and applying that name finds the file.
    name = QStringLiteral("TWO");
    QVERIFY(m_bed->config().ApplyConfig(name).value() == Applied::NoCommand);
    QCOMPARE(TestFiles::read(gameFile), QByteArray("two\n"));
    QCOMPARE(TestFiles::read(gameFile + QStringLiteral(".bak")), QByteArray("one\n"));
}

void TestGameConfig::captureNewAndExisting_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("existing");
    QTest::addColumn<QString>("storedAs");

    QTest::newRow("new name, library created")
        << QStringLiteral("match") << QString() << QStringLiteral("match.cfg");
    QTest::newRow("existing name replaced")
        << QStringLiteral("match") << QStringLiteral("match.cfg") << QStringLiteral("match.cfg");
    QTest::newRow("existing in other case replaced")
        << QStringLiteral("match") << QStringLiteral("match.CFG") << QStringLiteral("match.CFG");
    QTest::newRow("blanks kept exactly")
        << QStringLiteral(" my cfg  ") << QString() << QStringLiteral(" my cfg  .cfg");
    QTest::newRow("accents and dots")
        << QStringLiteral("réglé v1.2") << QString() << QStringLiteral("réglé v1.2.cfg");
}

void TestGameConfig::captureNewAndExisting()
{
    QFETCH(QString, name);
    QFETCH(QString, existing);
    QFETCH(QString, storedAs);

    if (!existing.isEmpty())
        QVERIFY(m_bed->storeConfig(existing, "old content that is longer than the new one\n"));
    const auto captured = m_bed->config().CaptureConfig(name);
    QVERIFY2(captured, qPrintable(captured.reason()));
    QCOMPARE(TestFiles::read(m_bed->library() + storedAs), QByteArray("name \"player\"\r\n"));
    QCOMPARE(m_bed->config().RefreshConfigList(), QStringList {name});
}

void TestGameConfig::captureRefusesName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("rule");

    QTest::newRow("path separator") << QStringLiteral("a/b") << QStringLiteral(" / ");
    QTest::newRow("climbs out of the library")
        << QStringLiteral("../config") << QStringLiteral(" / ");
    QTest::newRow("backslash") << QStringLiteral("a\\b") << QStringLiteral(" \\ ");
    QTest::newRow("null character")
        << QStringLiteral("a") + QChar::Null + QStringLiteral("b") << QStringLiteral("nul");
    QTest::newRow("too long for a file name")
        << QString(260, QLatin1Char('x')) << QStringLiteral("255 octets");
#ifdef Q_OS_WIN
    QTest::newRow("dot") << QStringLiteral(".") << QStringLiteral("« . »");
    QTest::newRow("dot dot") << QStringLiteral("..") << QStringLiteral("« .. »");
    QTest::newRow("reserved character") << QStringLiteral("a?b") << QStringLiteral("?");
    QTest::newRow("control character") << QStringLiteral("a\tb") << QStringLiteral("contrôle");
    QTest::newRow("ends with a blank") << QStringLiteral("a ") << QStringLiteral("espace");
#else
    QTest::newRow("dot") << QStringLiteral(".") << QStringLiteral("par un point");
    QTest::newRow("dot dot") << QStringLiteral("..") << QStringLiteral("par un point");
    QTest::newRow("leading dot would be hidden")
        << QStringLiteral(".secret") << QStringLiteral("par un point");
#endif
}

void TestGameConfig::captureRefusesName()
{
    QFETCH(QString, name);
    QFETCH(QString, rule);

    QVERIFY(!GameConfig::isValidConfigName(name));
    const auto captured = m_bed->config().CaptureConfig(name);
    QVERIFY(!captured);
    // The message states the rule the name breaks, among all the others.
    QVERIFY2(captured.reason().contains(rule), qPrintable(captured.reason()));
    QCOMPARE(QDir(m_bed->path({})).entryList(QDir::Files), QStringList {});
    QCOMPARE(QDir(m_bed->gameFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList {QStringLiteral("config.cfg")});
}

void TestGameConfig::captureWhenCopyFails_data()
{
    QTest::addColumn<QString>("configFile");
    QTest::addColumn<bool>("fullDisk");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("systemWords");

    QTest::newRow("game's file missing")
        << QStringLiteral("missing.cfg") << false
        << QStringLiteral("Fichier ou dossier introuvable") << QStringLiteral("No such file");
    QTest::newRow("nothing registered")
        << QString() << false << QStringLiteral("Alt_R") << QString();
    QTest::newRow("disk full") << QStringLiteral("config.cfg") << true
                               << QStringLiteral("Le disque est plein")
                               << QStringLiteral("No space left on device");
}

void TestGameConfig::captureWhenCopyFails()
{
    QFETCH(QString, configFile);
    QFETCH(bool, fullDisk);
    QFETCH(QString, reason);
    QFETCH(QString, systemWords);

    const QString library = m_bed->library();
    std::unique_ptr<FullDisk> disk;
    if (fullDisk) {
        disk = std::make_unique<FullDisk>(m_bed->gameFolder());
        if (!disk->isMounted())
            QSKIP(qPrintable(disk->whyNot()));
        QVERIFY(TestFiles::write(m_bed->gameFile(), "name \"player\"\r\n"));
        QVERIFY(disk->fill());
    }
    const QString path = configFile.isEmpty() ? QString() : m_bed->gameFolder() + u'/' + configFile;
    QVERIFY(m_bed->set(Key::RepertoryFile, path));
    const auto captured = m_bed->config().CaptureConfig(QStringLiteral("match"));
    QVERIFY(!captured);
    const QString message = captured.reason();
    QVERIFY(message.startsWith(QStringLiteral("Votre configue n'a pas été créée")));
    QVERIFY2(message.contains(reason), qPrintable(message));
    QVERIFY2(captured.failure().text().contains(systemWords),
             qPrintable(captured.failure().text()));
    // The message names the file that could not be read or written.
    if (!configFile.isEmpty()) {
        const QString named = fullDisk ? library + QStringLiteral("match.cfg") : path;
        QVERIFY2(message.contains(named), qPrintable(message));
    }
    QVERIFY(!QFile::exists(library + QStringLiteral("match.cfg")));
    if (!fullDisk)
        QVERIFY2(!QFile::exists(library), "a failed capture leaves no library folder behind");
}

void TestGameConfig::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<CommandMode>("mode");
    QTest::addColumn<QString>("modName");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("printed");

    QTest::newRow("mod") << QStringList {QStringLiteral("cstrike")} << CommandMode::Run
                         << QStringLiteral("cstrike") << 0 << QString();
    QTest::newRow("every word is the mod name")
        << QStringList {QStringLiteral("counter"), QStringLiteral("-x"), QStringLiteral("strike")}
        << CommandMode::Run << QStringLiteral("counter -x strike") << 0 << QString();
    QTest::newRow("a first word with one dash is part of the name")
        << QStringList {QStringLiteral("-x"), QStringLiteral("strike")} << CommandMode::Run
        << QStringLiteral("-x strike") << 0 << QString();
    QTest::newRow("single dashes after the first word are part of the name")
        << QStringList {QStringLiteral("cstrike"), QStringLiteral("-old")} << CommandMode::Run
        << QStringLiteral("cstrike -old") << 0 << QString();
    QTest::newRow("-- before a name that starts with dashes")
        << QStringList {QStringLiteral("--"), QStringLiteral("--bogus")} << CommandMode::Run
        << QStringLiteral("--bogus") << 0 << QString();
    QTest::newRow("-- before a name of several words")
        << QStringList {QStringLiteral("--"), QStringLiteral("--help"), QStringLiteral("me")}
        << CommandMode::Run << QStringLiteral("--help me") << 0 << QString();
    QTest::newRow("no mod") << QStringList {} << CommandMode::Run << QString() << 0 << QString();
    QTest::newRow("-- and no mod")
        << QStringList {QStringLiteral("--")} << CommandMode::Run << QString() << 0 << QString();
    QTest::newRow("version") << QStringList {QStringLiteral("--version")} << CommandMode::Version
                             << QString() << 0 << QStringLiteral("quorrel " PROJECT_VERSION "\n");
    QTest::newRow("help") << QStringList {QStringLiteral("--help")} << CommandMode::Help
                          << QString() << 0 << QStringLiteral("Usage: quorrel MOD");
    QTest::newRow("help among words")
        << QStringList {QStringLiteral("cstrike"), QStringLiteral("--help")} << CommandMode::Help
        << QString() << 0 << QStringLiteral("Usage: quorrel MOD");
    // Refused in one line and a hint, as the other two programs do; no window, no setting.
    QTest::newRow("mistyped option")
        << QStringList {QStringLiteral("--bogus")} << CommandMode::Run << QString() << 2
        << QStringLiteral("quorrel: unknown option --bogus\nTry 'quorrel --help' for more "
                          "information.\n");
    QTest::newRow("mistyped option before a mod")
        << QStringList {QStringLiteral("--vresion"), QStringLiteral("cstrike")} << CommandMode::Run
        << QString() << 2
        << QStringLiteral("quorrel: unknown option --vresion\nTry 'quorrel --help'");
    QTest::newRow("value given to --help")
        << QStringList {QStringLiteral("--help=all")} << CommandMode::Run << QString() << 2
        << QStringLiteral("quorrel: --help takes no value\nTry 'quorrel --help'");
    QTest::newRow("an option after the mod name")
        << QStringList {QStringLiteral("cstrike"), QStringLiteral("--old")} << CommandMode::Run
        << QString() << 2 << QStringLiteral("quorrel: unknown option --old\nTry 'quorrel --help'");
}

void TestGameConfig::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandMode, mode);
    QFETCH(QString, modName);
    QFETCH(int, exitCode);
    QFETCH(QString, printed);

    const auto line = QuorrelCommandLine::parse(arguments);
    QCOMPARE(line.ok(), exitCode == 0);
    if (line) {
        QCOMPARE(line->ask, mode);
        QCOMPARE(line->modName, modName);
        if (mode == CommandMode::Run)
            return;
    }
    // The program itself answers and ends; a window would keep it running until the time is up.
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    QProcess quorrel;
    quorrel.setProcessEnvironment(environment);
    quorrel.start(QStringLiteral(QUORREL_BINARY), arguments);
    QVERIFY(quorrel.waitForFinished(20000));
    QCOMPARE(quorrel.exitStatus(), QProcess::NormalExit);
    QCOMPARE(quorrel.exitCode(), exitCode);
    const QString output = QString::fromLocal8Bit(quorrel.readAllStandardOutput());
    const QString complaint = QString::fromLocal8Bit(quorrel.readAllStandardError());
    if (exitCode == 0) {
        QVERIFY2(output.startsWith(printed), qPrintable(output));
        QVERIFY2(complaint.isEmpty(), qPrintable(complaint));
    } else {
        QVERIFY2(complaint.startsWith(printed), qPrintable(complaint));
        QVERIFY2(output.isEmpty(), qPrintable(output));
        QCOMPARE(complaint.section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("quorrel: ") + line.reason());
    }
    // Nothing was registered: no settings at all.
    QVERIFY(QDir(home.path()).isEmpty());
}

void TestGameConfig::takesQtsOptionsOutOfTheModName()
{
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    QProcess quorrel;
    quorrel.setProcessEnvironment(environment);
    // The windows' options, which Qt takes for itself: no part of the mod's name.
    quorrel.start(QStringLiteral(QUORREL_BINARY),
                  {QStringLiteral("-platform"), QStringLiteral("offscreen"),
                   QStringLiteral("cstrike"), QStringLiteral("-style"), QStringLiteral("fusion")});
    // A first start registers the mod, then waits in the registration window.
    const SettingsStore written(home.filePath(QStringLiteral("Vantrel")));
    QTRY_COMPARE_WITH_TIMEOUT(written.read(QuorrelSettings::application(),
                                           QStringLiteral("cstrike"), QStringLiteral("AlreadyUse")),
                              QStringLiteral("1"), 20000);
    quorrel.kill();
    quorrel.waitForFinished();
    QCOMPARE(QSettings(written.location(QuorrelSettings::application()), QSettings::IniFormat)
                 .childGroups(),
             QStringList {QStringLiteral("cstrike")});
}

QTEST_GUILESS_MAIN(TestGameConfig)
#include "test_gameconfig.moc"
