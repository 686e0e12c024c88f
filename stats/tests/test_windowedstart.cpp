#include "datastats.h"
#include "scriptedprompts.h"
#include "settingsstore.h"
#include "statspaths.h"
#include "windowedstart.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestWindowedStart : public QObject
{
    Q_OBJECT

private slots:
    void firstStartAsksForTheLogFolderOnce_data();
    void firstStartAsksForTheLogFolderOnce();
    void knownLogFolderIsNotAskedFor();
    void databaseThatCannotBeOpenedIsNamed();
};

void TestWindowedStart::firstStartAsksForTheLogFolderOnce_data()
{
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<int>("asksOnSecondStart");

    QTest::newRow("folder chosen") << true << 0;
    QTest::newRow("chooser cancelled") << false << 1;
}

void TestWindowedStart::firstStartAsksForTheLogFolderOnce()
{
    QFETCH(bool, chosen);
    QFETCH(int, asksOnSecondStart);

    QTemporaryDir dir;
    SettingsStore settings(dir.filePath("settings"));
    StatsPaths(settings).setDatabasePath(dir.filePath("Stats.db"));
    const QString logs = dir.filePath("logs");

    {
        ScriptedPrompts prompts;
        prompts.folderAnswer = chosen ? logs : QString();
        DataStats store;
        QVERIFY(prepareWindowedStart(settings, prompts, store));
        QCOMPARE(prompts.kinds(), QStringList {"folder"});
        QVERIFY(store.isOpen());
        QCOMPARE(StatsPaths(settings).logFolder().isEmpty(), !chosen);
    }
    {
        ScriptedPrompts prompts;
        prompts.folderAnswer = logs;
        DataStats store;
        QVERIFY(prepareWindowedStart(settings, prompts, store));
        QCOMPARE(prompts.count("folder"), asksOnSecondStart);
        QCOMPARE(StatsPaths(settings).logFolder(), logs);
    }
}

void TestWindowedStart::knownLogFolderIsNotAskedFor()
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath("settings"));
    StatsPaths paths(settings);
    QVERIFY(paths.setLogFolder(dir.filePath("logs")));
    QVERIFY(paths.setDatabasePath(dir.filePath("Stats.db")));

    ScriptedPrompts prompts;
    DataStats store;
    QVERIFY(prepareWindowedStart(settings, prompts, store));
    QVERIFY(prompts.shown.isEmpty());
}

void TestWindowedStart::databaseThatCannotBeOpenedIsNamed()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString database = dir.filePath("blocker/Stats.db");
    SettingsStore settings(dir.filePath("settings"));
    StatsPaths paths(settings);
    QVERIFY(paths.setLogFolder(dir.filePath("logs")));
    QVERIFY(paths.setDatabasePath(database));

    ScriptedPrompts prompts;
    DataStats store;
    QVERIFY(!prepareWindowedStart(settings, prompts, store));
    QCOMPARE(prompts.kinds(), QStringList {"message"});
    QCOMPARE(prompts.shown.at(0).title, QStringLiteral("Tolvane"));
    QVERIFY2(prompts.shown.at(0).text.contains(QDir::toNativeSeparators(database)),
             qPrintable(prompts.shown.at(0).text));
    QVERIFY(prompts.shown.at(0).text.contains(store.errorString()));
}

QTEST_MAIN(TestWindowedStart)
#include "test_windowedstart.moc"
