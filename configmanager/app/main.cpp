// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/core/gameconfig.h"
#include "configmanager/core/quorrelcommandline.h"
#include "configmanager/core/quorreltexts.h"
#include "configmanager/ui/menu.h"
#include "configmanager/ui/quorrelicon.h"
#include "platform/dialogs/qtdialogs.h"
#include "platform/files/filestore.h"
#include "platform/launch/gamelauncher.h"
#include "platform/settings/settingsstore.h"
#include "platform/speech/speechoutput.h"
#include "platform/windowkit/frenchqttexts.h"

#include <QApplication>

#include <cstdio>

namespace {

int refuse(const QString &reason)
{
    std::fprintf(stderr, "quorrel: %s\n%s", qPrintable(reason),
                 qPrintable(QuorrelCommandLine::usage()));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Answered before any window or display is needed.
    const auto line = QuorrelCommandLine::parse(arguments);
    if (!line)
        return refuse(line.reason());
    switch (line->mode) {
    case QuorrelCommandLine::Mode::Help:
        std::fputs(qPrintable(QuorrelCommandLine::usage()), stdout);
        return 0;
    case QuorrelCommandLine::Mode::Version:
        std::fputs("quorrel " PROJECT_VERSION "\n", stdout);
        return 0;
    case QuorrelCommandLine::Mode::Window:
        break;
    }

    QApplication app(argc, argv);
    // The desktop entry, the metadata and the icon installed share this id.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.cstools.Quorrel"));
    QApplication::setWindowIcon(QuorrelIcon().icon());
    FrenchQtTexts frenchQtTexts;
    QApplication::installTranslator(&frenchQtTexts);
    // Windows are hidden and shown in turn (the main window hides while capturing); the program
    // ends only by Quitter, by a started game or when the mod is missing.
    QApplication::setQuitOnLastWindowClosed(false);

    QtDialogs dialogs;
    // Parsed again without the options Qt took for itself (-platform, -style, ...).
    const auto windowLine = QuorrelCommandLine::parse(QCoreApplication::arguments().mid(1));
    if (!windowLine)
        return refuse(windowLine.reason());
    const QString modName = windowLine->modName;
    if (modName.isEmpty()) {
        dialogs.inform(nullptr, QuorrelTexts::programName(), QuorrelTexts::noMod());
        return 1;
    }

    SettingsStore settings;
    FileStore files;
    const auto launcher = GameLauncher::create(&QuorrelTexts::launchFailure);
    GameConfig config(modName, settings, files, *launcher);
    SpeechOutput *speech = SpeechOutput::create(&app);
    // exit() rather than quit(): a started game ends the program without the viewer's question.
    Menu menu(config, *speech, dialogs, [] { QCoreApplication::exit(0); });
    menu.Form_Load();
    return QApplication::exec();
}
