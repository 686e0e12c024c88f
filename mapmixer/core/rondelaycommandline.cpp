#include "mapmixer/core/rondelaycommandline.h"

namespace {

Result<RondelayCommandLine> refused(const QString &reason)
{
    return Result<RondelayCommandLine>::failure(reason);
}

} // namespace

const CommandLine &RondelayCommandLine::syntax()
{
    static const CommandLine syntax(
        QStringLiteral("rondelay"),
        QStringLiteral(
            "Usage:\n"
            "  rondelay MOD                                    the mixer window\n"
            "  rondelay --shuffle [--times N] --folder DIR     no window, no speech\n"
            "  rondelay --shuffle [--times N] MOD              the folder stored for MOD\n"
            "\n"
            "The shuffle lists DIR/maps/*.bsp, shuffles the list N times (1 by "
            "default),\nwrites DIR/mapcycle.txt and prints the new cycle.\n"
            "\n"
            "  rondelay --help                                 show this text\n"
            "  rondelay --version                              show the version\n"),
        {{QStringLiteral("shuffle")},
         {QStringLiteral("times"), QStringLiteral("N")},
         {QStringLiteral("folder"), QStringLiteral("DIR")}},
        CommandLine::Words::Text);
    return syntax;
}

Result<RondelayCommandLine> RondelayCommandLine::parse(const QStringList &arguments)
{
    const Result<CommandLine::Read> read = syntax().read(arguments);
    if (!read)
        return refused(read.reason());
    RondelayCommandLine line;
    line.ask = read->ask;
    if (line.ask != CommandLine::Ask::Run)
        return line;

    // Every value is checked, also where a later one stands in for it.
    for (const auto &value : read->values.value(QStringLiteral("times"))) {
        bool ok = false;
        line.times = value.toInt(&ok);
        if (!ok || line.times < 1)
            return refused(QStringLiteral("--times needs a whole number of at least 1, not \"%1\"")
                               .arg(value));
    }
    for (const auto &value : read->values.value(QStringLiteral("folder"))) {
        if (value.isEmpty())
            return refused(QStringLiteral("--folder needs a folder"));
        line.folder = value;
    }

    line.modName = read->text.join(QLatin1Char(' '));
    const bool folder = read->isSet(QStringLiteral("folder"));
    if (!read->isSet(QStringLiteral("shuffle"))) {
        if (folder || read->isSet(QStringLiteral("times")))
            return refused(QStringLiteral("--times and --folder go with --shuffle"));
        return line;
    }
    if (folder && !line.modName.isEmpty())
        return refused(QStringLiteral("give either --folder or a mod name, not both"));
    if (!folder && line.modName.isEmpty())
        return refused(QStringLiteral("--shuffle needs --folder DIR or a mod name"));
    line.mode = Mode::Shuffle;
    return line;
}
