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
#include "platform/windowkit/windowedprogram.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    // Answered before any window or display is needed.
    const auto line = QuorrelCommandLine::parse(CommandLine::arguments(argc, argv));
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (const auto answered = QuorrelCommandLine::syntax().reply(line, out, err))
        return *answered;

    QApplication app(argc, argv);
    const WindowedProgram program {QuorrelIcon()};
    // Windows are hidden and shown in turn (the main window hides while capturing); the program
    // ends only by Quitter, by a started game or when the mod is missing.
    QApplication::setQuitOnLastWindowClosed(false);

    QtDialogs dialogs;
    if (line->modName.isEmpty()) {
        dialogs.inform(nullptr, QuorrelTexts::programName(), QuorrelTexts::noMod());
        return 1;
    }

    SettingsStore settings;
    FileStore files;
    const auto launcher = GameLauncher::create(&QuorrelTexts::launchFailure);
    GameConfig config(line->modName, settings, files, *launcher);
    const std::unique_ptr<SpeechOutput> speech = SpeechOutput::create();
    // exit() rather than quit(): a started game ends the program without the viewer's question.
    Menu menu(config, *speech, dialogs, [] { QCoreApplication::exit(0); });
    menu.Form_Load();
    return QApplication::exec();
}
