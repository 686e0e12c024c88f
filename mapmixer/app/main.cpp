// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mapmixer/core/commandline.h"
#include "mapmixer/core/headlessshuffle.h"
#include "mapmixer/core/randomsource.h"
#include "mapmixer/ui/mixfrm.h"
#include "platform/dialogs/qtdialogs.h"
#include "platform/files/filestore.h"
#include "platform/settings/settingsstore.h"
#include "platform/speech/speechoutput.h"
#include "platform/windowkit/frenchqttexts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

int runWindow(int argc, char **argv, const CommandLine &line)
{
    QApplication app(argc, argv);
    // The desktop entry, the metadata and the icon installed share this id.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.cstools.Rondelay"));
    FrenchQtTexts frenchQtTexts;
    QApplication::installTranslator(&frenchQtTexts);
    SettingsStore settings;
    QtDialogs dialogs;
    const auto modFolder = MixFrm::startUp(line.modName, settings, dialogs);
    if (!modFolder)
        return 1;
    FileStore files;
    const std::unique_ptr<SpeechOutput> parle(SpeechOutput::create());
    MixFrm window(line.modName, *modFolder, files, dialogs, *parle);
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
    return HeadlessShuffle::report(HeadlessShuffle::run(line, settings, files, random), out, err);
}

} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const auto line = CommandLine::parse(arguments);
    if (!line) {
        std::fprintf(stderr, "rondelay: %s\n%s", qPrintable(line.reason()),
                     qPrintable(CommandLine::usage()));
        return 2;
    }

    switch (line->mode) {
    case CommandLine::Mode::Help:
        std::fputs(qPrintable(CommandLine::usage()), stdout);
        return 0;
    case CommandLine::Mode::Version:
        std::fputs("rondelay " PROJECT_VERSION "\n", stdout);
        return 0;
    case CommandLine::Mode::Shuffle:
        return runHeadless(argc, argv, *line);
    case CommandLine::Mode::Window:
        break;
    }
    return runWindow(argc, argv, *line);
}
