#include "mapmixer/core/rondelaycommandline.h"

#include <QProcess>
#include <QTest>

Q_DECLARE_METATYPE(RondelayCommandLine::Mode)
Q_DECLARE_METATYPE(CommandLine::Ask)

class TestRondelayCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void refuses_data();
    void refuses();
    void programAnswersWithoutWindow_data();
    void programAnswersWithoutWindow();
};

void TestRondelayCommandLine::parse_data()
{
    using Mode = RondelayCommandLine::Mode;
    using Ask = CommandLine::Ask;
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Ask>("ask");
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QString>("modName");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("times");

    QTest::newRow("no argument") << QStringList {} << Ask::Run << Mode::Window << ""
                                 << "" << 1;
    QTest::newRow("mod name") << QStringList {"cstrike"} << Ask::Run << Mode::Window << "cstrike"
                              << "" << 1;
    QTest::newRow("whole text is the mod name") << QStringList {"counter", "strike", "-x", "N"}
                                                << Ask::Run << Mode::Window << "counter strike -x N"
                                                << "" << 1;
    QTest::newRow("single dash is no option")
        << QStringList {"-shuffle"} << Ask::Run << Mode::Window << "-shuffle"
        << "" << 1;
    QTest::newRow("shuffle a folder") << QStringList {"--shuffle", "--folder", "/srv/hlds/cstrike"}
                                      << Ask::Run << Mode::Shuffle << ""
                                      << "/srv/hlds/cstrike" << 1;
    QTest::newRow("shuffle a folder N times")
        << QStringList {"--shuffle", "--times", "5", "--folder", "/srv/my mods/cs"} << Ask::Run
        << Mode::Shuffle << ""
        << "/srv/my mods/cs" << 5;
    QTest::newRow("values after equals signs")
        << QStringList {"--times=3", "--folder=D:\\cs", "--shuffle"} << Ask::Run << Mode::Shuffle
        << ""
        << "D:\\cs" << 3;
    QTest::newRow("shuffle a stored mod") << QStringList {"--shuffle", "counter", "strike"}
                                          << Ask::Run << Mode::Shuffle << "counter strike"
                                          << "" << 1;
    QTest::newRow("single-dash words in a shuffled mod's name")
        << QStringList {"--shuffle", "my", "-mod", "-x"} << Ask::Run << Mode::Shuffle
        << "my -mod -x"
        << "" << 1;
    QTest::newRow("a folder that starts with a dash")
        << QStringList {"--folder", "-odd", "--shuffle"} << Ask::Run << Mode::Shuffle << ""
        << "-odd" << 1;
    // As for every program: after "--", dashes start no option.
    QTest::newRow("a mod that starts with dashes, after --")
        << QStringList {"--shuffle", "--", "--odd", "mod"} << Ask::Run << Mode::Shuffle
        << "--odd mod"
        << "" << 1;
    QTest::newRow("help") << QStringList {"--help"} << Ask::Help << Mode::Window << ""
                          << "" << 1;
    QTest::newRow("version") << QStringList {"--version"} << Ask::Version << Mode::Window << ""
                             << "" << 1;
    QTest::newRow("help before version")
        << QStringList {"--version", "--help"} << Ask::Help << Mode::Window << ""
        << "" << 1;
}

void TestRondelayCommandLine::refuses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");

    QTest::newRow("unknown option") << QStringList {"--mix", "cstrike"} << "unknown option --mix";
    QTest::newRow("times without value")
        << QStringList {"--shuffle", "--folder", "x", "--times"} << "--times needs a value";
    QTest::newRow("times not a number")
        << QStringList {"--shuffle", "--folder", "x", "--times", "many"}
        << "--times needs a whole number of at least 1, not \"many\"";
    QTest::newRow("times zero") << QStringList {"--shuffle", "--folder", "x", "--times", "0"}
                                << "--times needs a whole number of at least 1, not \"0\"";
    QTest::newRow("an earlier wrong value counts too")
        << QStringList {"--shuffle", "--folder", "x", "--times=0", "--times=2"}
        << "--times needs a whole number of at least 1, not \"0\"";
    QTest::newRow("empty folder") << QStringList {"--shuffle", "--folder="}
                                  << "--folder needs a folder";
    QTest::newRow("folder without shuffle")
        << QStringList {"--folder", "x"} << "--times and --folder go with --shuffle";
    QTest::newRow("shuffle of nothing")
        << QStringList {"--shuffle"} << "--shuffle needs --folder DIR or a mod name";
    QTest::newRow("folder and mod together")
        << QStringList {"--shuffle", "--folder", "x", "cstrike"}
        << "give either --folder or a mod name, not both";
    QTest::newRow("shuffle takes no value")
        << QStringList {"--shuffle=yes", "--folder", "x"} << "--shuffle takes no value";
    QTest::newRow("version takes no value")
        << QStringList {"cstrike", "--version=2"} << "--version takes no value";
    QTest::newRow("an option after the mod name")
        << QStringList {"cstrike", "--mix"} << "unknown option --mix";
}

void TestRondelayCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Ask, ask);
    QFETCH(RondelayCommandLine::Mode, mode);
    QFETCH(QString, modName);
    QFETCH(QString, folder);
    QFETCH(int, times);

    const auto line = RondelayCommandLine::parse(arguments);
    QVERIFY2(line.ok(), qPrintable(line.reason()));
    QCOMPARE(line->ask, ask);
    QCOMPARE(line->mode, mode);
    QCOMPARE(line->modName, modName);
    QCOMPARE(line->folder, folder);
    QCOMPARE(line->times, times);
}

void TestRondelayCommandLine::refuses()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);

    const auto line = RondelayCommandLine::parse(arguments);
    QVERIFY(!line.ok());
    QCOMPARE(line.reason(), reason);
}

void TestRondelayCommandLine::programAnswersWithoutWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");

    QTest::newRow("version") << QStringList {"--version"} << 0 << "rondelay " PROJECT_VERSION "\n";
    QTest::newRow("help") << QStringList {"--help"} << 0 << "Usage:\n";
    QTest::newRow("wrong option") << QStringList {"--mix"} << 2
                                  << "rondelay: unknown option --mix\n"
                                     "Try 'rondelay --help' for more information.\n";
    // Qt's options are the windows', never words of a mod's name.
    QTest::newRow("Qt's options besides a shuffle")
        << QStringList {"--shuffle", "-platform", "offscreen", "--style=fusion"} << 2
        << "rondelay: --shuffle needs --folder DIR or a mod name\n";
}

void TestRondelayCommandLine::programAnswersWithoutWindow()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);

    QProcess rondelay;
    rondelay.start(RONDELAY_BINARY, arguments);
    // A window would keep it running until the time is up.
    QVERIFY(rondelay.waitForFinished(20000));
    QCOMPARE(rondelay.exitStatus(), QProcess::NormalExit);
    QCOMPARE(rondelay.exitCode(), exitCode);
    const QString printed = QString::fromLocal8Bit(rondelay.readAllStandardOutput());
    const QString complaint = QString::fromLocal8Bit(rondelay.readAllStandardError());
    if (exitCode == 0) {
        QVERIFY2(printed.startsWith(output), qPrintable(printed));
        QVERIFY2(complaint.isEmpty(), qPrintable(complaint));
    } else {
        QVERIFY2(complaint.startsWith(output), qPrintable(complaint));
    }
}

QTEST_GUILESS_MAIN(TestRondelayCommandLine)
#include "test_rondelaycommandline.moc"
