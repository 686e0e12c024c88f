#include "platform/cli/commandline.h"

#include <QTest>
#include <QTextStream>

Q_DECLARE_METATYPE(CommandLine::Ask)
Q_DECLARE_METATYPE(CommandLine::Words)

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void takesQtsOptionsOut_data();
    void takesQtsOptionsOut();
    void reads_data();
    void reads();
    void answersAndRefusesAlike_data();
    void answersAndRefusesAlike();
};

void TestCommandLine::takesQtsOptionsOut_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("kept");

    QTest::newRow("none") << QStringList {"cstrike", "--shuffle"}
                          << QStringList {"cstrike", "--shuffle"};
    QTest::newRow("a style and a platform, with their values")
        << QStringList {"-style", "fusion", "cstrike", "-platform", "offscreen"}
        << QStringList {"cstrike"};
    QTest::newRow("two dashes, as Qt reads them too")
        << QStringList {"--style", "fusion", "--print"} << QStringList {"--print"};
    QTest::newRow("a value after =")
        << QStringList {"--update", "-stylesheet=a.qss"} << QStringList {"--update"};
    QTest::newRow("options without a value")
        << QStringList {"-reverse", "de_dust", "-widgetcount"} << QStringList {"de_dust"};
    QTest::newRow("an option taken only with =, given without")
        << QStringList {"-qmljsdebugger", "port"} << QStringList {"-qmljsdebugger", "port"};
    QTest::newRow("a last option without its value, which Qt leaves")
        << QStringList {"cstrike", "-style"} << QStringList {"cstrike", "-style"};
    QTest::newRow("a mod word like an option of Qt, but longer")
        << QStringList {"-styles", "fusion"} << QStringList {"-styles", "fusion"};
    QTest::newRow("after --, as Qt does not stop there")
        << QStringList {"--", "-session", "x", "mod"} << QStringList {"--", "mod"};
}

void TestCommandLine::takesQtsOptionsOut()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, kept);
    QCOMPARE(CommandLine::withoutQtOptions(arguments), kept);
}

void TestCommandLine::reads_data()
{
    QTest::addColumn<CommandLine::Words>("words");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("wrong"); // empty when read
    QTest::addColumn<CommandLine::Ask>("ask");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("count"); // the values of --count, joined by "|"

    using Words = CommandLine::Words;
    using Ask = CommandLine::Ask;
    QTest::newRow("a text of words, dashes and all")
        << Words::Text << QStringList {"my", "-mod", "-x"} << "" << Ask::Run << "my -mod -x"
        << "";
    QTest::newRow("values after a blank and after =")
        << Words::Text << QStringList {"--count", "1", "mod", "--count=2"} << "" << Ask::Run
        << "mod"
        << "1|2";
    QTest::newRow("a value that starts with a dash")
        << Words::Text << QStringList {"--count", "-3"} << "" << Ask::Run << ""
        << "-3";
    QTest::newRow("-- ends the options")
        << Words::Text << QStringList {"--flag", "--", "--count", "--"} << "" << Ask::Run
        << "--count --"
        << "";
    QTest::newRow("an unknown option anywhere") << Words::Text << QStringList {"mod", "--counts"}
                                                << "unknown option --counts" << Ask::Run << ""
                                                << "";
    QTest::newRow("a value given to a flag")
        << Words::Text << QStringList {"--flag=yes"} << "--flag takes no value" << Ask::Run << ""
        << "";
    QTest::newRow("a value missing")
        << Words::Text << QStringList {"--count"} << "--count needs a value" << Ask::Run << ""
        << "";
    QTest::newRow("help among words")
        << Words::Text << QStringList {"mod", "--help"} << "" << Ask::Help << "mod"
        << "";
    QTest::newRow("help before version")
        << Words::Text << QStringList {"--version", "--help"} << "" << Ask::Help << ""
        << "";
    QTest::newRow("-h is a word of a text")
        << Words::Text << QStringList {"-h"} << "" << Ask::Run << "-h"
        << "";
    QTest::newRow("-h asks for help among options")
        << Words::Options << QStringList {"-h"} << "" << Ask::Help << ""
        << "";
    QTest::newRow("one dash as two among options")
        << Words::Options << QStringList {"-count", "4", "-flag"} << "" << Ask::Run << ""
        << "4";
    QTest::newRow("a word that is no option, among options")
        << Words::Options << QStringList {"--flag", "cstrike"} << "unexpected argument cstrike"
        << Ask::Run << ""
        << "";
    QTest::newRow("an unknown option, spelled as given")
        << Words::Options << QStringList {"-frobnicate"} << "unknown option -frobnicate" << Ask::Run
        << ""
        << "";
}

void TestCommandLine::reads()
{
    QFETCH(CommandLine::Words, words);
    QFETCH(QStringList, arguments);
    QFETCH(QString, wrong);
    QFETCH(CommandLine::Ask, ask);
    QFETCH(QString, text);
    QFETCH(QString, count);

    const CommandLine line(
        QStringLiteral("program"), {},
        {{QStringLiteral("flag")}, {QStringLiteral("count"), QStringLiteral("N")}}, words);
    const Result<CommandLine::Read> read = line.read(arguments);
    QCOMPARE(read.reason(), wrong);
    if (!read)
        return;
    QCOMPARE(read->ask, ask);
    QCOMPARE(read->text.join(QLatin1Char(' ')), text);
    QCOMPARE(read->values.value(QStringLiteral("count")).join(QLatin1Char('|')), count);
}

void TestCommandLine::answersAndRefusesAlike_data()
{
    QTest::addColumn<bool>("refused");
    QTest::addColumn<CommandLine::Ask>("ask");
    QTest::addColumn<int>("status"); // -1: the program runs
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    QTest::newRow("help") << false << CommandLine::Ask::Help << 0 << "Usage: program\n"
                          << "";
    QTest::newRow("version") << false << CommandLine::Ask::Version << 0
                             << "program " PROJECT_VERSION "\n"
                             << "";
    QTest::newRow("the program's own work") << false << CommandLine::Ask::Run << -1 << ""
                                            << "";
    QTest::newRow("a wrong command line, in one line and a hint")
        << true << CommandLine::Ask::Help << 2 << ""
        << "program: unknown option --x\nTry 'program --help' for more information.\n";
}

void TestCommandLine::answersAndRefusesAlike()
{
    QFETCH(bool, refused);
    QFETCH(CommandLine::Ask, ask);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);

    struct Request
    {
        CommandLine::Ask ask;
    };
    const CommandLine line(QStringLiteral("program"), QStringLiteral("Usage: program\n"), {},
                           CommandLine::Words::Text);
    QString printed;
    QString complained;
    QTextStream outStream(&printed);
    QTextStream errStream(&complained);
    const auto request = refused ? Result<Request>::failure(QStringLiteral("unknown option --x"))
                                 : Result<Request>(Request {ask});
    QCOMPARE(line.reply(request, outStream, errStream).value_or(-1), status);
    QCOMPARE(printed, out);
    QCOMPARE(complained, err);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
