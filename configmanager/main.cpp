#include "filestore.h"
#include "gameconfig.h"
#include "gamelauncher.h"
#include "menu.h"
#include "quorrelicon.h"
#include "settingsstore.h"
#include "speechoutput.h"
#include "userdialogs.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QuorrelIcon::icon());
    // Windows are hidden and shown in turn (the main window hides while capturing); the program
    // ends only by Quitter, by a started game or when the mod is missing.
    QApplication::setQuitOnLastWindowClosed(false);

    UserDialogs dialogs;
    // The whole argument text is the mod name, blanks included.
    const QString modName = QCoreApplication::arguments().mid(1).join(QLatin1Char(' '));
    if (modName.isEmpty()) {
        dialogs.inform(nullptr, Notice {GameConfig::ProgramName, GameConfig::NoModText});
        return 1;
    }

    SettingsStore settings;
    FileStore files;
    const auto launcher = GameLauncher::create();
    GameConfig config(modName, settings, files, *launcher);
    SpeechOutput *speech = SpeechOutput::create(&app);
    // exit() rather than quit(): a started game ends the program without the viewer's question.
    Menu menu(config, *speech, dialogs, [] { QCoreApplication::exit(0); });
    menu.Form_Load();
    return QApplication::exec();
}
