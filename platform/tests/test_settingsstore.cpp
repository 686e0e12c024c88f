#include "overlaysettings.h"
#include "settingsstore.h"

#include <QTemporaryDir>
#include <QTest>

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void roundTripsAwkwardSections_data();
    void roundTripsAwkwardSections();
    void neverWrittenReadsEmpty();
    void sectionsNeverCollide();
    void persistsAcrossInstances();
    void defaultLocationFollowsXdgConfigHome();
    void overlayHoldsForThisRunOnly();
};

void TestSettingsStore::roundTripsAwkwardSections_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << "cstrike"
                           << "D:/Jeux/cstrike";
    QTest::newRow("blanks") << "counter strike "
                            << " two  blanks ";
    QTest::newRow("slash") << "mods/cstrike"
                           << "a/b";
    QTest::newRow("backslash") << "mods\\cstrike"
                               << "C:\\Jeux\\cstrike";
    QTest::newRow("percent") << "100%cs"
                             << "%41";
    QTest::newRow("accents and quotes") << "Équipe \"élite\" 'ça'"
                                        << "mélangé";
    QTest::newRow("empty section") << ""
                                   << "root";
    QTest::newRow("ini specials") << "[General];=#,"
                                  << "x=y;z";
    QTest::newRow("cyrillic") << "Дуст"
                              << "Д";
}

void TestSettingsStore::roundTripsAwkwardSections()
{
    QFETCH(QString, section);
    QFETCH(QString, value);
    QTemporaryDir dir;
    SettingsStore store(dir.path());
    QVERIFY(store.write("Rondelay", section, "Dossier", value));
    QCOMPARE(SettingsStore(dir.path()).read("Rondelay", section, "Dossier"), value);
    QCOMPARE(SettingsStore::decodeName(SettingsStore::encodeName(section)), section);
}

void TestSettingsStore::neverWrittenReadsEmpty()
{
    QTemporaryDir dir;
    SettingsStore store(dir.path());
    QCOMPARE(store.read("Vantrel", "cstrike", "AlreadyUse"), QString());
    QVERIFY(store.write("Vantrel", "cstrike", "ExecFile", QString()));
    QCOMPARE(store.read("Vantrel", "cstrike", "ExecFile"), QString());
    QCOMPARE(store.read("Vantrel", "cstrike", "RepertoryFile"), QString());
}

void TestSettingsStore::sectionsNeverCollide()
{
    // Each of these would share a QSettings group or key with another if passed through raw.
    const QStringList sections = {"a/b", "a\\b", "a", "a%2Fb", "a%252Fb", "A/B", "a b", "a/b/"};
    QTemporaryDir dir;
    SettingsStore store(dir.path());
    for (const QString &s : sections)
        QVERIFY(store.write("Rondelay", s, "Dossier", "value of " + s));
    SettingsStore reread(dir.path());
    for (const QString &s : sections)
        QCOMPARE(reread.read("Rondelay", s, "Dossier"), "value of " + s);
    QCOMPARE(reread.read("Vantrel", "a/b", "Dossier"), QString());
}

void TestSettingsStore::persistsAcrossInstances()
{
    QTemporaryDir dir;
    {
        SettingsStore first(dir.path());
        QVERIFY(first.write("Tolvane", "Authentification", "Code", "one"));
        QVERIFY(first.write("Tolvane", "Authentification", "Code", "two"));
    }
    QCOMPARE(SettingsStore(dir.path()).read("Tolvane", "Authentification", "Code"), "two");
}

void TestSettingsStore::defaultLocationFollowsXdgConfigHome()
{
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    SettingsStore store;
    QVERIFY(store.write("Rondelay", "cstrike", "Dossier", "/srv/hlds/cstrike"));
    QVERIFY(QFile::exists(dir.path() + "/Rondelay/Rondelay.conf"));
    QCOMPARE(store.read("Rondelay", "cstrike", "Dossier"), "/srv/hlds/cstrike");
}

void TestSettingsStore::overlayHoldsForThisRunOnly()
{
    QTemporaryDir dir;
    SettingsStore stored(dir.path());
    QVERIFY(stored.write("Tolvane", "Paths", "LogFolder", "/srv/logs"));
    QVERIFY(stored.write("Tolvane", "Paths", "Database", "/srv/Stats.db"));
    OverlaySettings run(stored);
    run.overlay("Tolvane", "Paths", "LogFolder", "/tmp/sample");
    QCOMPARE(run.read("Tolvane", "Paths", "LogFolder"), "/tmp/sample");
    QCOMPARE(run.read("Tolvane", "Paths", "Database"), "/srv/Stats.db");
    QVERIFY(run.write("Tolvane", "Paths", "LogFolder", "/tmp/other"));
    QVERIFY(run.write("Tolvane", "Authentification", "Code", "x"));
    QCOMPARE(run.read("Tolvane", "Paths", "LogFolder"), "/tmp/other");
    QCOMPARE(stored.read("Tolvane", "Paths", "LogFolder"), "/srv/logs");
    QCOMPARE(stored.read("Tolvane", "Authentification", "Code"), "x");
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settingsstore.moc"
