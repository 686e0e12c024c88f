#include "fakes.h"
#include "gameconfig.h"
#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using ApplyOutcome = GameConfig::ApplyResult::Outcome;
using CaptureOutcome = GameConfig::CaptureResult::Outcome;

class TestGameConfig : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void deriveConfigFolder_data();
    void deriveConfigFolder();
    void settingsAreKeptPerMod();
    void listing_data();
    void listing();
    void applyMissingConfig();
    void applyEmptyName();
    void applyWithoutCommandLine();
    void applyWithEverythingInPlace();
    void applyKeepsOneBackup();
    void applyFindsEndingInOtherCase();
    void applyWhenGameCannotStart();
    void applyWhenWriteFails();
    void captureNewAndExisting_data();
    void captureNewAndExisting();
    void captureRefusesName_data();
    void captureRefusesName();
    void captureWhenCopyFails_data();
    void captureWhenCopyFails();

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
    QVERIFY(writeFile(m_gameFile, "name \"player\"\r\n"));
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
    QVERIFY(writeFile(library() + fileName, content));
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

void TestGameConfig::settingsAreKeptPerMod()
{
    GameConfig other(QStringLiteral("dod"), *m_settings, m_files, m_launcher);
    QCOMPARE(other.ConfigFilePath(), QString());
    QVERIFY(other.setSetting(GameConfig::ExecFileKey, QStringLiteral("hl -game dod")));
    QCOMPARE(m_config->LaunchCommand(), QString());
    QCOMPARE(m_settings->read(QStringLiteral("Vantrel"), QStringLiteral("dod"),
                              QStringLiteral("ExecFile")),
             QStringLiteral("hl -game dod"));
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

void TestGameConfig::applyMissingConfig()
{
    QVERIFY(m_config->setSetting(GameConfig::ExecFileKey, QStringLiteral("hl")));
    QString name = QStringLiteral("gone");
    const auto result = m_config->ApplyConfig(name);

    QCOMPARE(result.outcome, ApplyOutcome::Missing);
    QVERIFY(result.notice);
    QCOMPARE(result.notice->title, QStringLiteral("Erreure de chargement"));
    QCOMPARE(result.notice->text,
             QStringLiteral("Cette configue n'existe pas, veuillez rafraichire."));
    QCOMPARE(name, QString());
    QCOMPARE(readFile(m_gameFile), QByteArray("name \"player\"\r\n"));
    QVERIFY(!QFile::exists(m_gameFile + QStringLiteral(".bak")));
    QVERIFY(m_launcher.commands.isEmpty());
}

void TestGameConfig::applyEmptyName()
{
    QVERIFY(m_config->setSetting(GameConfig::RepertoryFileKey, QString()));
    QString name;
    const auto result = m_config->ApplyConfig(name);
    QCOMPARE(result.outcome, ApplyOutcome::NothingToApply);
    QVERIFY(!result.notice);
    QVERIFY(m_launcher.commands.isEmpty());
}

void TestGameConfig::applyWithoutCommandLine()
{
    storeConfig(QStringLiteral("fast.cfg"), "rate 25000\r\n");
    QString name = QStringLiteral("fast");
    const auto result = m_config->ApplyConfig(name);

    QCOMPARE(result.outcome, ApplyOutcome::NoCommand);
    QVERIFY(result.notice);
    QCOMPARE(result.notice->title, QStringLiteral("Quorrel"));
    QVERIFY(result.notice->text.endsWith(QStringLiteral("appuyer sur Alt_R")));
    QCOMPARE(readFile(m_gameFile), QByteArray("rate 25000\r\n"));
    QCOMPARE(name, QStringLiteral("fast"));
    QVERIFY(m_launcher.commands.isEmpty());
}

void TestGameConfig::applyWithEverythingInPlace()
{
    storeConfig(QStringLiteral("fast.cfg"), "rate 25000\r\n\xe9t\xe9\n");
    const QString command = QStringLiteral("\"/opt/Half Life/hl.sh\" -game cstrike");
    QVERIFY(m_config->setSetting(GameConfig::ExecFileKey, command));
    QString name = QStringLiteral("fast");
    const auto result = m_config->ApplyConfig(name);

    QCOMPARE(result.outcome, ApplyOutcome::GameStarted);
    QVERIFY(!result.notice);
    QCOMPARE(readFile(m_gameFile), QByteArray("rate 25000\r\n\xe9t\xe9\n"));
    QCOMPARE(m_launcher.commands, QStringList {command});
}

void TestGameConfig::applyKeepsOneBackup()
{
    storeConfig(QStringLiteral("one.cfg"), "one\n");
    storeConfig(QStringLiteral("two.cfg"), "two\n");
    QString name = QStringLiteral("one");
    m_config->ApplyConfig(name);
    QCOMPARE(readFile(m_gameFile + QStringLiteral(".bak")), QByteArray("name \"player\"\r\n"));
    name = QStringLiteral("two");
    m_config->ApplyConfig(name);
    QCOMPARE(readFile(m_gameFile), QByteArray("two\n"));
    QCOMPARE(readFile(m_gameFile + QStringLiteral(".bak")), QByteArray("one\n"));
}

void TestGameConfig::applyFindsEndingInOtherCase()
{
    storeConfig(QStringLiteral("LOUD.CFG"), "volume 1\n");
    QString name = m_config->RefreshConfigList().value(0);
    QCOMPARE(name, QStringLiteral("LOUD"));
    QCOMPARE(m_config->ApplyConfig(name).outcome, ApplyOutcome::NoCommand);
    QCOMPARE(readFile(m_gameFile), QByteArray("volume 1\n"));
}

void TestGameConfig::applyWhenGameCannotStart()
{
    storeConfig(QStringLiteral("fast.cfg"), "rate 25000\n");
    QVERIFY(m_config->setSetting(GameConfig::ExecFileKey, QStringLiteral("nosuchgame -x")));
    m_launcher.fails = true;
    QString name = QStringLiteral("fast");
    const auto result = m_config->ApplyConfig(name);

    QCOMPARE(result.outcome, ApplyOutcome::LaunchFailed);
    QVERIFY(result.notice);
    QVERIFY(result.notice->text.contains(QStringLiteral("nosuchgame -x")));
    QVERIFY(result.notice->text.contains(QStringLiteral("Programme introuvable")));
    QCOMPARE(readFile(m_gameFile), QByteArray("rate 25000\n"));
}

void TestGameConfig::applyWhenWriteFails()
{
    storeConfig(QStringLiteral("fast.cfg"), "rate 25000\n");
    QVERIFY(m_config->setSetting(GameConfig::ExecFileKey, QStringLiteral("hl")));
    m_files.failingPath = m_gameFile;
    QString name = QStringLiteral("fast");
    const auto result = m_config->ApplyConfig(name);

    QCOMPARE(result.outcome, ApplyOutcome::Failed);
    QVERIFY(result.notice);
    QVERIFY(result.notice->text.contains(QStringLiteral("Permission denied")));
    QCOMPARE(readFile(m_gameFile), QByteArray("name \"player\"\r\n"));
    QVERIFY(m_launcher.commands.isEmpty());
    QCOMPARE(name, QStringLiteral("fast"));
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
    QCOMPARE(readFile(library() + storedAs), QByteArray("name \"player\"\r\n"));
    QCOMPARE(m_config->RefreshConfigList(), QStringList {name});
}

void TestGameConfig::captureRefusesName_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("path separator") << QStringLiteral("a/b");
    QTest::newRow("climbs out of the library") << QStringLiteral("../config");
    QTest::newRow("backslash") << QStringLiteral("a\\b");
    QTest::newRow("dot") << QStringLiteral(".");
    QTest::newRow("dot dot") << QStringLiteral("..");
    QTest::newRow("null character") << QStringLiteral("a") + QChar::Null + QStringLiteral("b");
    QTest::newRow("too long for a file name") << QString(260, QLatin1Char('x'));
#ifndef Q_OS_WIN
    QTest::newRow("leading dot would be hidden") << QStringLiteral(".secret");
#endif
}

void TestGameConfig::captureRefusesName()
{
    QFETCH(QString, name);

    QVERIFY(!GameConfig::isValidConfigName(name));
    const auto result = m_config->CaptureConfig(name);
    QCOMPARE(result.outcome, CaptureOutcome::Refused);
    QVERIFY(result.notice);
    QCOMPARE(result.notice->title, QStringLiteral("Quorrel"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList {});
    QCOMPARE(QDir(m_gameFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList {QStringLiteral("config.cfg")});
}

void TestGameConfig::captureWhenCopyFails_data()
{
    QTest::addColumn<QString>("configFile");

    QTest::newRow("game's file missing") << QStringLiteral("missing.cfg");
    QTest::newRow("nothing registered") << QString();
}

void TestGameConfig::captureWhenCopyFails()
{
    QFETCH(QString, configFile);

    const QString path = configFile.isEmpty() ? QString() : m_gameFolder + u'/' + configFile;
    QVERIFY(m_config->setSetting(GameConfig::RepertoryFileKey, path));
    const auto result = m_config->CaptureConfig(QStringLiteral("match"));
    QCOMPARE(result.outcome, CaptureOutcome::Failed);
    QVERIFY(result.notice);
    QVERIFY(result.notice->text.startsWith(QStringLiteral("Votre configue n'a pas été créée")));
    QVERIFY(!QFile::exists(library() + QStringLiteral("match.cfg")));
}

QTEST_GUILESS_MAIN(TestGameConfig)
#include "test_gameconfig.moc"
