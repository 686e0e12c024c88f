#include "configmanager/core/quorrelcommandline.h"

QuorrelCommandLine QuorrelCommandLine::parse(const QStringList &arguments)
{
    QuorrelCommandLine line;
    if (arguments.contains(QLatin1String("--help")))
        line.mode = Mode::Help;
    else if (arguments.contains(QLatin1String("--version")))
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
