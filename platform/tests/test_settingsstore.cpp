// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/settings/overlaysettings.h"
#include "platform/settings/settingsstore.h"
#include "platform/testsupport/testfiles.h"

#include <QTemporaryDir>
#include <QTest>

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void roundTripsAwkwardSections_data();
    void roundTripsAwkwardSections();
    void readsWhatEarlierVersionsWrote_data();
    void readsWhatEarlierVersionsWrote();
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
    // How the section reads in the settings file: escaped once, by QSettings, except for the
    // separators and "%" that must be escaped before.
    QTest::addColumn<QString>("inFile");
    QTest::newRow("plain") << "cstrike"
                           << "D:/Jeux/cstrike"
                           << "[cstrike]";
    QTest::newRow("blanks") << "counter strike "
                            << " two  blanks "
                            << "[counter%20strike%20]";
    QTest::newRow("slash") << "mods/cstrike"
                           << "a/b"
                           << "[mods%252Fcstrike]";
    QTest::newRow("backslash") << "mods\\cstrike"
                               << "C:\\Jeux\\cstrike"
                               << "[mods%255Ccstrike]";
    QTest::newRow("percent") << "100%cs"
                             << "%41"
                             << "[100%2525cs]";
    QTest::newRow("accents and quotes") << "Équipe \"élite\" 'ça'"
                                        << "mélangé"
                                        << "[%C9quipe%20%22%E9lite%22%20%27%E7a%27]";
    QTest::newRow("empty section") << ""
                                   << "root"
                                   << "[General]";
    QTest::newRow("ini specials") << "[General];=#,"
                                  << "x=y;z"
                                  << "[%5BGeneral%5D%3B%3D%23%2C]";
    QTest::newRow("cyrillic") << "Дуст"
                              << "Д"
                              << "[%U0414%U0443%U0441%U0442]";
}

void TestSettingsStore::roundTripsAwkwardSections()
{
    QFETCH(QString, section);
    QFETCH(QString, value);
    QFETCH(QString, inFile);
    QTemporaryDir dir;
    SettingsStore store(dir.path());
    QVERIFY(store.write("Rondelay", section, "Dossier", value));
    QCOMPARE(SettingsStore(dir.path()).read("Rondelay", section, "Dossier"), value);
    QCOMPARE(SettingsStore::decodeName(SettingsStore::encodeName(section)), section);
    const QStringList lines = QString::fromUtf8(TestFiles::read(dir.filePath("Rondelay.conf")))
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), inFile);
}

void TestSettingsStore::readsWhatEarlierVersionsWrote_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QByteArray>("earlier");

    QTest::newRow("plain") << "cstrike" << QByteArray("[cstrike]");
    QTest::newRow("blank") << "my mod" << QByteArray("[my%2520mod]");
    QTest::newRow("slash") << "mods/cs" << QByteArray("[mods%252Fcs]");
    QTest::newRow("accent") << "Équipe" << QByteArray("[%25C3%2589quipe]");
}

void TestSettingsStore::readsWhatEarlierVersionsWrote()
{
    QFETCH(QString, section);
    QFETCH(QByteArray, earlier);
    QTemporaryDir dir;
    const QString file = dir.filePath("Vantrel.conf");
    QVERIFY(
        TestFiles::write(file, earlier + "\nExecFile=hl -game cstrike\nRepertoryFile=/g/c.cfg\n"));
    SettingsStore store(dir.path());
    QCOMPARE(store.read("Vantrel", section, "ExecFile"), "hl -game cstrike");
    QCOMPARE(store.read("Vantrel", section, "RepertoryFile"), "/g/c.cfg");
    QCOMPARE(store.read("Vantrel", section, "AlreadyUse"), QString());

    // A new value replaces the earlier one, under the section's present name.
    QVERIFY(store.write("Vantrel", section, "ExecFile", "hl"));
    QCOMPARE(store.read("Vantrel", section, "ExecFile"), "hl");
    QCOMPARE(store.read("Vantrel", section, "RepertoryFile"), "/g/c.cfg");
    QVERIFY(store.write("Vantrel", section, "RepertoryFile", "/h/c.cfg"));
    QCOMPARE(store.read("Vantrel", section, "RepertoryFile"), "/h/c.cfg");
    QCOMPARE(TestFiles::read(file).count("ExecFile"), 1);
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
