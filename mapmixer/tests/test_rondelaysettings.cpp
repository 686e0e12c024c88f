#include "mapmixer/core/rondelaysettings.h"
#include "platform/settings/settingsstore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestRondelaySettings : public QObject
{
    Q_OBJECT

private slots:
    void keepsOneFolderPerMod_data();
    void keepsOneFolderPerMod();
    void failedStoreSaysSo();
};

void TestRondelaySettings::keepsOneFolderPerMod_data()
{
    QTest::addColumn<QStringList>("modsAndFolders");
    QTest::addColumn<QString>("modName");
    QTest::addColumn<QString>("folder");

    QTest::newRow("never stored") << QStringList {} << "cstrike"
                                  << "";
    QTest::newRow("read back by the next run")
        << QStringList {"cstrike", "/srv/cstrike"} << "cstrike"
        << "/srv/cstrike";
    QTest::newRow("another mod is another section")
        << QStringList {"cstrike", "/srv/1"} << "cstrike/old"
        << "";
    QTest::newRow("sections with separators stay apart")
        << QStringList {"cstrike/old", "/srv/2", "cstrike", "/srv/1", "cstrike\\old", "/srv/3"}
        << "cstrike/old"
        << "/srv/2";
    QTest::newRow("folder kept as typed")
        << QStringList {"counter strike", "D:\\Jeux\\cstrike\\"} << "counter strike"
        << "D:\\Jeux\\cstrike\\";
    QTest::newRow("a later folder replaces the first")
        << QStringList {"cstrike", "/srv/1", "cstrike", "/srv/2"} << "cstrike"
        << "/srv/2";
}

void TestRondelaySettings::keepsOneFolderPerMod()
{
    QFETCH(QStringList, modsAndFolders);
    QFETCH(QString, modName);
    QFETCH(QString, folder);

    QTemporaryDir root;
    {
        SettingsStore store(root.path());
        for (qsizetype i = 0; i + 1 < modsAndFolders.size(); i += 2) {
            RondelaySettings settings(store, modsAndFolders.at(i));
            const auto stored =
                settings.setValue(RondelaySettings::Key::Dossier, modsAndFolders.at(i + 1));
            QVERIFY2(stored.ok(), qPrintable(stored.reason()));
        }
    }
    SettingsStore nextRun(root.path());
    QCOMPARE(RondelaySettings(nextRun, modName).value(RondelaySettings::Key::Dossier), folder);
    // Where earlier versions kept it, so that their folders are still found.
    QCOMPARE(nextRun.read("Rondelay", modName, "Dossier"), folder);
}

void TestRondelaySettings::failedStoreSaysSo()
{
    QTemporaryDir root;
    // A folder that cannot be made, not even by root: a file stands in its way.
    const QString blocker = root.filePath("blocker");
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    SettingsStore store(blocker + "/settings");
    RondelaySettings settings(store, "cstrike");
    const auto stored = settings.setValue(RondelaySettings::Key::Dossier, "/srv/cstrike");
    QVERIFY(!stored.ok());
    QVERIFY2(stored.reason().contains("could not be stored"), qPrintable(stored.reason()));
    QCOMPARE(settings.value(RondelaySettings::Key::Dossier), QString());
}

QTEST_GUILESS_MAIN(TestRondelaySettings)
#include "test_rondelaysettings.moc"
