#include "configmanager/core/quorrelcommandline.h"

#include <QCommandLineParser>

QuorrelCommandLine QuorrelCommandLine::parse(const QStringList &arguments)
{
    // Long options only: "-h" or "-v" may be (part of) a mod name.
    QCommandLineParser parser;
    const QCommandLineOption help(QStringLiteral("help"));
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOption(help);
    parser.addOption(version);
    // Whatever else the words hold is the mod name, so words that look like options are not an
    // error here.
    parser.parse(QStringList {QStringLiteral("quorrel")} + arguments);

    QuorrelCommandLine line;
    if (parser.isSet(help))
        line.mode = Mode::Help;
    else if (parser.isSet(version))
        line.mode = Mode::Version;
    else
        line.modName = arguments.join(QLatin1Char(' '));
    return line;
}

QString QuorrelCommandLine::usage()
{
    return QStringLiteral("Usage: quorrel MOD        the configuration manager for the mod MOD\n"
                          "                          (all arguments together, blanks included)\n"
                          "       quorrel --help     show this text\n"
                          "       quorrel --version  show the version\n");
}
