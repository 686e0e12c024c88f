#include "mapmixer/core/commandline.h"
#include "mapmixer/core/headlessshuffle.h"
#include "mapmixer/core/maplist.h"
#include "mapmixer/core/modsettings.h"
#include "mapmixer/core/randomsource.h"
#include "mapmixer/ui/mixfrm.h"
#include "platform/files/filestore.h"
#include "platform/settings/settingsstore.h"
#include "platform/speech/speechoutput.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QTextStream>

#include <cstdio>

namespace {

int runWindow(int argc, char **argv, const QString &modName)
{
    QApplication app(argc, argv);
    if (modName.isEmpty()) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Rondelay"),
                        QStringLiteral("Tapez un Argument"), QMessageBox::Ok);
        box.exec();
        return 1;
    }
    SettingsStore settings;
    bool stored = true;
    const QString folder =
        ModSettings::folderFor(settings, modName, &MixFrm::askModFolder, &stored);
    if (!stored)
        std::fprintf(stderr, "rondelay: the folder could not be stored in the settings\n");

    MixFrm window(modName, MapList::modFolderPath(folder), SpeechOutput::create());
    QObject::connect(&window, &MixFrm::programEnded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    return app.exec();
}

int runHeadless(int argc, char **argv, const CommandLine &line)
{
    // No QGuiApplication: this must run on a server without any display.
    QCoreApplication app(argc, argv);
    SettingsStore settings;
    FileStore files;
    RandomSource random;
    QTextStream out(stdout);
    QTextStream err(stderr);
    return HeadlessShuffle::run(line, settings, files, random, out, err);
}

} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = CommandLine::parse(arguments);

    switch (line.mode) {
    case CommandLine::Mode::Help:
        std::fputs(qPrintable(CommandLine::usage()), stdout);
        return 0;
    case CommandLine::Mode::Version:
        std::fputs("rondelay " PROJECT_VERSION "\n", stdout);
        return 0;
    case CommandLine::Mode::Invalid:
        std::fprintf(stderr, "rondelay: %s\n%s", qPrintable(line.error),
                     qPrintable(CommandLine::usage()));
        return 2;
    case CommandLine::Mode::Shuffle:
        return runHeadless(argc, argv, line);
    case CommandLine::Mode::Window:
        break;
    }
    return runWindow(argc, argv, line.modName);
}
