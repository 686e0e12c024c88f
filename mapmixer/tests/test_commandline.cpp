#include "mapmixer/core/commandline.h"

#include <QProcess>
#include <QTest>

Q_DECLARE_METATYPE(CommandLine::Mode)

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void programAnswersWithoutWindow_data();
    void programAnswersWithoutWindow();
};

void TestCommandLine::parse_data()
{
    using Mode = CommandLine::Mode;
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<QString>("modName");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("times");

    QTest::newRow("no argument") << QStringList {} << Mode::Window << ""
                                 << "" << 1;
    QTest::newRow("mod name") << QStringList {"cstrike"} << Mode::Window << "cstrike"
                              << "" << 1;
    QTest::newRow("whole text is the mod name")
        << QStringList {"counter", "strike", "-x", "N"} << Mode::Window << "counter strike -x N"
        << "" << 1;
    QTest::newRow("single dash is no option")
        << QStringList {"-shuffle"} << Mode::Window << "-shuffle"
        << "" << 1;
    QTest::newRow("shuffle a folder")
        << QStringList {"--shuffle", "--folder", "/srv/hlds/cstrike"} << Mode::Shuffle << ""
        << "/srv/hlds/cstrike" << 1;
    QTest::newRow("shuffle a folder N times")
        << QStringList {"--shuffle", "--times", "5", "--folder", "/srv/my mods/cs"} << Mode::Shuffle
        << ""
        << "/srv/my mods/cs" << 5;
    QTest::newRow("values after equals signs")
        << QStringList {"--times=3", "--folder=D:\\cs", "--shuffle"} << Mode::Shuffle << ""
        << "D:\\cs" << 3;
    QTest::newRow("shuffle a stored mod")
        << QStringList {"--shuffle", "counter", "strike"} << Mode::Shuffle << "counter strike"
        << "" << 1;
    QTest::newRow("help") << QStringList {"--help"} << Mode::Help << ""
                          << "" << 1;
    QTest::newRow("version") << QStringList {"--version"} << Mode::Version << ""
                             << "" << 1;
    QTest::newRow("help before version") << QStringList {"--version", "--help"} << Mode::Help << ""
                                         << "" << 1;
    QTest::newRow("unknown option") << QStringList {"--mix", "cstrike"} << Mode::Invalid << ""
                                    << "" << 1;
    QTest::newRow("times without value")
        << QStringList {"--shuffle", "--folder", "x", "--times"} << Mode::Invalid << ""
        << "" << 1;
    QTest::newRow("times not a number")
        << QStringList {"--shuffle", "--folder", "x", "--times", "many"} << Mode::Invalid << ""
        << "" << 1;
    QTest::newRow("times zero") << QStringList {"--shuffle", "--folder", "x", "--times", "0"}
                                << Mode::Invalid << ""
                                << "" << 1;
    QTest::newRow("folder without shuffle") << QStringList {"--folder", "x"} << Mode::Invalid << ""
                                            << "" << 1;
    QTest::newRow("shuffle of nothing") << QStringList {"--shuffle"} << Mode::Invalid << ""
                                        << "" << 1;
    QTest::newRow("folder and mod together")
        << QStringList {"--shuffle", "--folder", "x", "cstrike"} << Mode::Invalid << ""
        << "" << 1;
    QTest::newRow("shuffle takes no value")
        << QStringList {"--shuffle=yes", "--folder", "x"} << Mode::Invalid << ""
        << "" << 1;
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Mode, mode);
    QFETCH(QString, modName);
    QFETCH(QString, folder);
    QFETCH(int, times);

    const CommandLine line = CommandLine::parse(arguments);
    QCOMPARE(line.mode, mode);
    QCOMPARE(line.error.isEmpty(), mode != CommandLine::Mode::Invalid);
    if (mode == CommandLine::Mode::Invalid)
        return;
    QCOMPARE(line.modName, modName);
    QCOMPARE(line.folder, folder);
    QCOMPARE(line.times, times);
}

void TestCommandLine::programAnswersWithoutWindow_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");

    QTest::newRow("version") << QStringList {"--version"} << 0 << "rondelay " PROJECT_VERSION "\n";
    QTest::newRow("help") << QStringList {"--help"} << 0 << "Usage:\n";
    QTest::newRow("wrong option") << QStringList {"--mix"} << 2 << "rondelay: unknown option --mix";
}

void TestCommandLine::programAnswersWithoutWindow()
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

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
