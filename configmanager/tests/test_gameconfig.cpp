#include "configmanager/core/gameconfig.h"
#include "configmanager/core/quorrelcommandline.h"
#include "configmanager/tests/fakes.h"
#include "platform/settings/settingsstore.h"
#include "platform/testsupport/fulldisk.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using ApplyOutcome = GameConfig::ApplyResult::Outcome;
using CaptureOutcome = GameConfig::CaptureResult::Outcome;
using CommandMode = QuorrelCommandLine::Mode;

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

private:
    QString library() const { return m_gameFolder + QStringLiteral("/Configs/"); }
    void storeConfig(const QString &fileName, const QByteArray &content);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_settings;
    FailingFileStore m_files;
    RecordingLauncher m_launcher;
    std::unique_ptr<GameConfig> m_config;
    QString m_gameFolder;
    QString m_gameFile;
};

void TestGameConfig::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_settings = std::make_unique<SettingsStore>(m_dir->filePath(QStringLiteral("settings")));
    m_files.failingPath.clear();
    m_launcher.commands.clear();
    m_launcher.fails = false;
    m_config =
        std::make_unique<GameConfig>(QStringLiteral("cstrike"), *m_settings, m_files, m_launcher);
    m_gameFolder = m_dir->filePath(QStringLiteral("Half Life/cstrike"));
    m_gameFile = m_gameFolder + QStringLiteral("/config.cfg");
    QVERIFY(QDir().mkpath(m_gameFolder));
    QVERIFY(TestFiles::write(m_gameFile, "name \"player\"\r\n"));
    QVERIFY(m_config->setSetting(GameConfig::RepertoryFileKey, m_gameFile));
}

void TestGameConfig::cleanup()
{
    m_config.reset();
    m_settings.reset();
    m_dir.reset();
}

void TestGameConfig::storeConfig(const QString &fileName, const QByteArray &content)
{
    QVERIFY(QDir().mkpath(library()));
    QVERIFY(TestFiles::write(library() + fileName, content));
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
    QVERIFY(m_config->setSetting(GameConfig::RepertoryFileKey, configFile));
    QCOMPARE(m_config->ConfigFolder(), folder);
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
            QVERIFY(QDir().mkpath(library() + file));
        else
            storeConfig(file, "bind w +forward\n");
    }
    // The folder's own order is kept, so compare as sets.
    QStringList listed = m_config->RefreshConfigList();
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
    QTest::addColumn<ApplyOutcome>("outcome");
    QTest::addColumn<QString>("noticeTitle");
    QTest::addColumn<bool>("copied");

    const QString fast = QStringLiteral("fast");
    const QString hl = QStringLiteral("\"/opt/Half Life/hl.sh\" -game cstrike");
    QTest::newRow("stored file missing")
        << fast << false << hl << false << QString() << ApplyOutcome::Missing
        << QStringLiteral("Erreure de chargement") << false;
    QTest::newRow("empty name") << QString() << true << hl << false << QString()
                                << ApplyOutcome::NothingToApply << QString() << false;
    QTest::newRow("no command line")
        << fast << true << QString() << false << QString() << ApplyOutcome::NoCommand
        << QStringLiteral("Quorrel") << true;
    QTest::newRow("everything in place") << fast << true << hl << false << QString()
                                         << ApplyOutcome::GameStarted << QString() << true;
    QTest::newRow("game cannot start")
        << fast << true << hl << true << QString() << ApplyOutcome::LaunchFailed
        << QStringLiteral("Quorrel") << true;
    QTest::newRow("game's file cannot be written")
        << fast << true << hl << false << QStringLiteral("refused") << ApplyOutcome::Failed
        << QStringLiteral("Quorrel") << false;
    QTest::newRow("disk full") << fast << true << hl << false << QStringLiteral("full disk")
                               << ApplyOutcome::Failed << QStringLiteral("Quorrel") << false;
}

void TestGameConfig::apply()
{
    QFETCH(QString, name);
    QFETCH(bool, stored);
    QFETCH(QString, command);
    QFETCH(bool, launchFails);
    QFETCH(QString, writeFails);
    QFETCH(ApplyOutcome, outcome);
    QFETCH(QString, noticeTitle);
    QFETCH(bool, copied);

    std::unique_ptr<FullDisk> disk;
    if (writeFails == QLatin1String("full disk")) {
        disk = std::make_unique<FullDisk>(m_gameFolder);
        if (!disk->isMounted())
            QSKIP(qPrintable(disk->whyNot()));
        QVERIFY(TestFiles::write(m_gameFile, "name \"player\"\r\n"));
    }
    const QByteArray storedContent("rate 25000\r\n\xe9t\xe9\n");
    if (stored)
        storeConfig(QStringLiteral("fast.cfg"), storedContent);
    QVERIFY(m_config->setSetting(GameConfig::ExecFileKey, command));
    m_launcher.fails = launchFails;
    if (writeFails == QLatin1String("refused"))
        m_files.failingPath = m_gameFile;
    if (disk)
        QVERIFY(disk->fill());

    const QString given = name;
    const auto result = m_config->ApplyConfig(name);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.notice ? result.notice->title : QString(), noticeTitle);
    QCOMPARE(TestFiles::read(m_gameFile),
             copied ? storedContent : QByteArray("name \"player\"\r\n"));
    // A backup, where there is one, is the whole file it replaced.
    const QString backup = m_gameFile + QStringLiteral(".bak");
    if (QFile::exists(backup))
        QCOMPARE(TestFiles::read(backup), QByteArray("name \"player\"\r\n"));
    if (outcome == ApplyOutcome::Failed)
        QVERIFY2(result.notice->text.contains(m_gameFile), qPrintable(result.notice->text));
    const bool started =
        outcome == ApplyOutcome::GameStarted || outcome == ApplyOutcome::LaunchFailed;
    QCOMPARE(m_launcher.commands, started ? QStringList {command} : QStringList {});
    // Only a configuration that has gone empties the name given.
    QCOMPARE(name, outcome == ApplyOutcome::Missing ? QString() : given);
    if (outcome == ApplyOutcome::Missing)
        QCOMPARE(result.notice->text, GameConfig::MissingConfigText);
    if (outcome == ApplyOutcome::NoCommand)
        QVERIFY(result.notice->text.endsWith(QStringLiteral("appuyer sur Alt_R")));
    if (outcome == ApplyOutcome::LaunchFailed)
        QVERIFY(result.notice->text.contains(command));
}

void TestGameConfig::applyKeepsOneBackup()
{
    storeConfig(QStringLiteral("one.cfg"), "one\n");
    storeConfig(QStringLiteral("TWO.CFG"), "two\n");
    QString name = QStringLiteral("one");
    m_config->ApplyConfig(name);
    QCOMPARE(TestFiles::read(m_gameFile + QStringLiteral(".bak")),
             QByteArray("name \"player\"\r\n"));
    // The list shows TWO.CFG as "TWO", and applying that name finds the file.
    name = QStringLiteral("TWO");
    QCOMPARE(m_config->ApplyConfig(name).outcome, ApplyOutcome::NoCommand);
    QCOMPARE(TestFiles::read(m_gameFile), QByteArray("two\n"));
    QCOMPARE(TestFiles::read(m_gameFile + QStringLiteral(".bak")), QByteArray("one\n"));
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
        storeConfig(existing, "old content that is longer than the new one\n");
    const auto result = m_config->CaptureConfig(name);
    QCOMPARE(result.outcome, CaptureOutcome::Created);
    QVERIFY(!result.notice);
    QCOMPARE(TestFiles::read(library() + storedAs), QByteArray("name \"player\"\r\n"));
    QCOMPARE(m_config->RefreshConfigList(), QStringList {name});
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
    const auto result = m_config->CaptureConfig(name);
    QCOMPARE(result.outcome, CaptureOutcome::Refused);
    QVERIFY(result.notice);
    QCOMPARE(result.notice->title, QStringLiteral("Quorrel"));
    // The message states the rule the name breaks, among all the others.
    QVERIFY2(result.notice->text.contains(rule), qPrintable(result.notice->text));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList {});
    QCOMPARE(QDir(m_gameFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList {QStringLiteral("config.cfg")});
}

void TestGameConfig::captureWhenCopyFails_data()
{
    QTest::addColumn<QString>("configFile");
    QTest::addColumn<bool>("fullDisk");
    QTest::addColumn<QString>("reason");

    QTest::newRow("game's file missing")
        << QStringLiteral("missing.cfg") << false << QStringLiteral("No such file");
    QTest::newRow("nothing registered") << QString() << false << QStringLiteral("Alt_R");
    QTest::newRow("disk full") << QStringLiteral("config.cfg") << true
                               << QStringLiteral("No space left on device");
}

void TestGameConfig::captureWhenCopyFails()
{
    QFETCH(QString, configFile);
    QFETCH(bool, fullDisk);
    QFETCH(QString, reason);

    std::unique_ptr<FullDisk> disk;
    if (fullDisk) {
        disk = std::make_unique<FullDisk>(m_gameFolder);
        if (!disk->isMounted())
            QSKIP(qPrintable(disk->whyNot()));
        QVERIFY(TestFiles::write(m_gameFile, "name \"player\"\r\n"));
        QVERIFY(disk->fill());
    }
    const QString path = configFile.isEmpty() ? QString() : m_gameFolder + u'/' + configFile;
    QVERIFY(m_config->setSetting(GameConfig::RepertoryFileKey, path));
    const auto result = m_config->CaptureConfig(QStringLiteral("match"));
    QCOMPARE(result.outcome, CaptureOutcome::Failed);
    QVERIFY(result.notice);
    QVERIFY(result.notice->text.startsWith(QStringLiteral("Votre configue n'a pas été créée")));
    QVERIFY2(result.notice->text.contains(reason), qPrintable(result.notice->text));
    // The message names the file that could not be read or written.
    if (!configFile.isEmpty()) {
        const QString named = fullDisk ? library() + QStringLiteral("match.cfg") : path;
        QVERIFY2(result.notice->text.contains(named), qPrintable(result.notice->text));
    }
    QVERIFY(!QFile::exists(library() + QStringLiteral("match.cfg")));
    if (!fullDisk)
        QVERIFY2(!QFile::exists(library()), "a failed capture leaves no library folder behind");
}

void TestGameConfig::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<CommandMode>("mode");
    QTest::addColumn<QString>("modName");
    QTest::addColumn<QString>("printed");

    QTest::newRow("mod") << QStringList {QStringLiteral("cstrike")} << CommandMode::Window
                         << QStringLiteral("cstrike") << QString();
    QTest::newRow("every word is the mod name")
        << QStringList {QStringLiteral("counter"), QStringLiteral("-x"), QStringLiteral("strike")}
        << CommandMode::Window << QStringLiteral("counter -x strike") << QString();
    QTest::newRow("no mod") << QStringList {} << CommandMode::Window << QString() << QString();
    QTest::newRow("version") << QStringList {QStringLiteral("--version")} << CommandMode::Version
                             << QString() << QStringLiteral("quorrel " PROJECT_VERSION "\n");
    QTest::newRow("help") << QStringList {QStringLiteral("--help")} << CommandMode::Help
                          << QString() << QStringLiteral("Usage: quorrel MOD");
    QTest::newRow("help among words")
        << QStringList {QStringLiteral("cstrike"), QStringLiteral("--help")} << CommandMode::Help
        << QString() << QStringLiteral("Usage: quorrel MOD");
}

void TestGameConfig::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandMode, mode);
    QFETCH(QString, modName);
    QFETCH(QString, printed);

    const QuorrelCommandLine line = QuorrelCommandLine::parse(arguments);
    QCOMPARE(line.mode, mode);
    QCOMPARE(line.modName, modName);
    if (mode == CommandMode::Window)
        return;
    // The program itself answers and ends; a window would keep it running until the time is up.
    QProcess quorrel;
    quorrel.start(QStringLiteral(QUORREL_BINARY), arguments);
    QVERIFY(quorrel.waitForFinished(20000));
    QCOMPARE(quorrel.exitStatus(), QProcess::NormalExit);
    QCOMPARE(quorrel.exitCode(), 0);
    const QString output = QString::fromLocal8Bit(quorrel.readAllStandardOutput());
    QVERIFY2(output.startsWith(printed), qPrintable(output));
}

QTEST_GUILESS_MAIN(TestGameConfig)
#include "test_gameconfig.moc"
