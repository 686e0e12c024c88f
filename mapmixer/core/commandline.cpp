// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mapmixer/core/commandline.h"

#include <QCommandLineParser>

#include <algorithm>

namespace {

bool isOption(const QString &argument)
{
    return argument.startsWith(QLatin1String("--"));
}

Result<CommandLine> refused(const QString &reason)
{
    return Result<CommandLine>::failure(reason);
}

} // namespace

Result<CommandLine> CommandLine::parse(const QStringList &arguments)
{
    CommandLine line;
    if (std::none_of(arguments.cbegin(), arguments.cend(), isOption)) {
        line.modName = arguments.join(QLatin1Char(' '));
        return line;
    }

    const QCommandLineOption shuffle(QStringLiteral("shuffle"));
    const QCommandLineOption times(QStringLiteral("times"), {}, QStringLiteral("N"));
    const QCommandLineOption folder(QStringLiteral("folder"), {}, QStringLiteral("DIR"));
    const QCommandLineOption help(QStringLiteral("help"));
    const QCommandLineOption version(QStringLiteral("version"));
    const QList<QCommandLineOption> options = {shuffle, times, folder, help, version};
    const auto takesValue = [&options](const QString &name) {
        return std::any_of(options.cbegin(), options.cend(), [&name](const auto &option) {
            return !option.valueName().isEmpty() && option.names().contains(name);
        });
    };

    // The parser would take a word with a single dash for a short option, but such words belong
    // to the mod name: it sees only the options and their values, after the program's name.
    QStringList optionWords = {QStringLiteral("rondelay")};
    QStringList modWords;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!isOption(argument)) {
            modWords << argument;
            continue;
        }
        // Not the parser's end of the options: this command line has no such thing.
        if (argument.size() == 2)
            return refused(QStringLiteral("unknown option --"));
        optionWords << argument;
        const QString name = argument.section(QLatin1Char('='), 0, 0);
        const bool valueAttached = name.size() < argument.size();
        if (valueAttached && !takesValue(name.mid(2)))
            return refused(QStringLiteral("%1 takes no value").arg(name));
        if (!valueAttached && takesValue(name.mid(2))) {
            if (i + 1 == arguments.size())
                return refused(QStringLiteral("%1 needs a value").arg(name));
            optionWords << arguments.at(++i);
        }
    }
    QCommandLineParser parser;
    parser.addOptions(options);
    // What is left to refuse is an option it does not know.
    if (!parser.parse(optionWords)) {
        const QStringList unknown = parser.unknownOptionNames();
        return refused(unknown.isEmpty()
                           ? parser.errorText()
                           : QStringLiteral("unknown option --%1").arg(unknown.constFirst()));
    }

    // Every value is checked, also where a later one stands in for it.
    for (const auto &value : parser.values(times)) {
        bool ok = false;
        line.times = value.toInt(&ok);
        if (!ok || line.times < 1)
            return refused(QStringLiteral("--times needs a whole number of at least 1, not \"%1\"")
                               .arg(value));
    }
    for (const auto &value : parser.values(folder)) {
        if (value.isEmpty())
            return refused(QStringLiteral("--folder needs a folder"));
        line.folder = value;
    }

    if (parser.isSet(help) || parser.isSet(version)) {
        line.mode = parser.isSet(help) ? Mode::Help : Mode::Version;
        return line;
    }
    if (!parser.isSet(shuffle))
        return refused((parser.isSet(times) || parser.isSet(folder))
                           ? QStringLiteral("--times and --folder go with --shuffle")
                           : QStringLiteral("no --shuffle given"));
    line.modName = modWords.join(QLatin1Char(' '));
    if (parser.isSet(folder) && !line.modName.isEmpty())
        return refused(QStringLiteral("give either --folder or a mod name, not both"));
    if (!parser.isSet(folder) && line.modName.isEmpty())
        return refused(QStringLiteral("--shuffle needs --folder DIR or a mod name"));
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
