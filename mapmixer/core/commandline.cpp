#include "mapmixer/core/commandline.h"

namespace {

CommandLine invalid(const QString &error)
{
    CommandLine line;
    line.mode = CommandLine::Mode::Invalid;
    line.error = error;
    return line;
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    const bool withOptions = std::any_of(arguments.cbegin(), arguments.cend(), [](const auto &a) {
        return a.startsWith(QLatin1String("--"));
    });
    CommandLine line;
    if (!withOptions) {
        line.modName = arguments.join(QLatin1Char(' '));
        return line;
    }

    bool shuffle = false;
    bool help = false;
    bool version = false;
    bool timesGiven = false;
    bool folderGiven = false;
    QStringList modWords;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString argument = arguments.at(i);
        if (!argument.startsWith(QLatin1String("--"))) {
            modWords << argument;
            continue;
        }
        QString value;
        bool hasValue = false;
        if (const auto equals = argument.indexOf(QLatin1Char('=')); equals > 0) {
            value = argument.mid(equals + 1);
            argument.truncate(equals);
            hasValue = true;
        }
        const bool takesValue =
            argument == QLatin1String("--times") || argument == QLatin1String("--folder");
        if (takesValue && !hasValue) {
            if (i + 1 >= arguments.size())
                return invalid(QStringLiteral("%1 needs a value").arg(argument));
            value = arguments.at(++i);
        } else if (!takesValue && hasValue) {
            return invalid(QStringLiteral("%1 takes no value").arg(argument));
        }

        if (argument == QLatin1String("--shuffle")) {
            shuffle = true;
        } else if (argument == QLatin1String("--help")) {
            help = true;
        } else if (argument == QLatin1String("--version")) {
            version = true;
        } else if (argument == QLatin1String("--times")) {
            bool ok = false;
            line.times = value.toInt(&ok);
            if (!ok || line.times < 1)
                return invalid(
                    QStringLiteral("--times needs a whole number of at least 1, not \"%1\"")
                        .arg(value));
            timesGiven = true;
        } else if (argument == QLatin1String("--folder")) {
            if (value.isEmpty())
                return invalid(QStringLiteral("--folder needs a folder"));
            line.folder = value;
            folderGiven = true;
        } else {
            return invalid(QStringLiteral("unknown option %1").arg(argument));
        }
    }

    if (help || version) {
        line.mode = help ? Mode::Help : Mode::Version;
        return line;
    }
    if (!shuffle)
        return invalid((timesGiven || folderGiven)
                           ? QStringLiteral("--times and --folder go with --shuffle")
                           : QStringLiteral("no --shuffle given"));
    line.modName = modWords.join(QLatin1Char(' '));
    if (folderGiven && !line.modName.isEmpty())
        return invalid(QStringLiteral("give either --folder or a mod name, not both"));
    if (!folderGiven && line.modName.isEmpty())
        return invalid(QStringLiteral("--shuffle needs --folder DIR or a mod name"));
    line.mode = Mode::Shuffle;
    return line;
}

QString CommandLine::usage()
{
    return QStringLiteral(
        "Usage:\n"
        "  rondelay MOD                                    the mixer window\n"
        "  rondelay --shuffle [--times N] --folder DIR     no window, no speech\n"
        "  rondelay --shuffle [--times N] MOD              the folder stored for MOD\n"
        "\n"
        "The shuffle lists DIR/maps/*.bsp, shuffles the list N times (1 by "
        "default),\nwrites DIR/mapcycle.txt and prints the new cycle.\n"
        "\n"
        "  rondelay --help                                 show this text\n"
        "  rondelay --version                              show the version\n");
}
