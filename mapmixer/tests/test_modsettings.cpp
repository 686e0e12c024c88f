#include "mapmixer/core/modsettings.h"
#include "platform/settings/settingsstore.h"

#include <QTemporaryDir>
#include <QTest>

class TestModSettings : public QObject
{
    Q_OBJECT

private slots:
    void asksUntilAFolderIsTyped_data();
    void asksUntilAFolderIsTyped();
    void storedFolderIsNotAskedAgain();
};

void TestModSettings::asksUntilAFolderIsTyped_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<QString>("folder");
    QTest::newRow("first answer") << QStringList {"/srv/cstrike"} << 1 << "/srv/cstrike";
    QTest::newRow("cancel and empty ask again")
        << QStringList {"", "", "D:\\Jeux\\cstrike"} << 3 << "D:\\Jeux\\cstrike";
    QTest::newRow("blank is an answer") << QStringList {" "} << 1 << " ";
}

void TestModSettings::asksUntilAFolderIsTyped()
{
    QFETCH(QStringList, answers);
    QFETCH(int, questions);
    QFETCH(QString, folder);
    QTemporaryDir root;
    SettingsStore settings(root.path());
    int asked = 0;
    bool stored = false;
    QCOMPARE(ModSettings::folderFor(
                 settings, "cstrike", [&] { return answers.at(asked++); }, &stored),
             folder);
    QCOMPARE(asked, questions);
    QVERIFY(stored);
    QCOMPARE(SettingsStore(root.path()).read("Rondelay", "cstrike", "Dossier"), folder);
}

void TestModSettings::storedFolderIsNotAskedAgain()
{
    QTemporaryDir root;
    SettingsStore settings(root.path());
    int asked = 0;
    const auto ask = [&] {
        ++asked;
        return QStringLiteral("/srv/%1").arg(asked);
    };
    QCOMPARE(ModSettings::folderFor(settings, "cstrike", ask), QStringLiteral("/srv/1"));
    QCOMPARE(ModSettings::folderFor(settings, "cstrike", ask), QStringLiteral("/srv/1"));
    QCOMPARE(asked, 1);
    // A different mod is a different section, and asks again.
    QCOMPARE(ModSettings::folderFor(settings, "cstrike/old", ask), QStringLiteral("/srv/2"));
    QCOMPARE(ModSettings::storedFolder(settings, "cstrike"), QStringLiteral("/srv/1"));
}

QTEST_GUILESS_MAIN(TestModSettings)
#include "test_modsettings.moc"
