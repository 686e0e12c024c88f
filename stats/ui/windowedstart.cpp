#include "stats/ui/windowedstart.h"

#include "platform/settings/overlaysettings.h"
#include "platform/settings/settingsstore.h"
#include "stats/store/datastats.h"
#include "stats/store/statspaths.h"
#include "stats/ui/affiche.h"
#include "stats/ui/calculs.h"
#include "stats/ui/dialogprompts.h"
#include "stats/ui/frenchqttexts.h"
#include "stats/ui/tolvanecontext.h"
#include "stats/ui/tolvaneicon.h"
#include "stats/ui/tolvanetexts.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

bool prepareWindowedStart(SettingsStore &settings, Prompts &prompts, DataStats &store)
{
    StatsPaths paths(settings);
    if (paths.logFolder().isEmpty()) {
        const QString folder = prompts.chooseFolder(nullptr, TolvaneTexts::chooseLogFolder());
        if (!folder.isEmpty())
            paths.setLogFolder(folder);
    }
    const QString database = paths.databasePath();
    if (store.open(database))
        return true;
    prompts.showMessage(nullptr, TolvaneTexts::programTitle(),
                        TolvaneTexts::databaseNotOpened().arg(QDir::toNativeSeparators(database),
                                                              store.errorString()));
    return false;
}

int startWindowed(int argc, char **argv, const QString &logFolder, const QString &database)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    QApplication::setWindowIcon(TolvaneIcon::icon());
    FrenchQtTexts frenchQtTexts;
    QApplication::installTranslator(&frenchQtTexts);

    SettingsStore stored;
    OverlaySettings settings(stored);
    if (!logFolder.isEmpty())
        settings.overlay(QStringLiteral("Tolvane"), QStringLiteral("Paths"),
                         QStringLiteral("LogFolder"), QDir(logFolder).absolutePath());
    if (!database.isEmpty())
        settings.overlay(QStringLiteral("Tolvane"), QStringLiteral("Paths"),
                         QStringLiteral("Database"), QFileInfo(database).absoluteFilePath());
    DialogPrompts prompts;
    DataStats store;
    if (!prepareWindowedStart(settings, prompts, store))
        return 1;

    TolvaneContext context {store, settings, prompts};
    Affiche::showNew(context);
    const int status = QApplication::exec();

    // The windows still open read through the store's models: they go before the store does.
    // They are picked out first, as deleting one also deletes its menus, which are listed too.
    QWidgetList windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<Affiche *>(widget) || qobject_cast<Calculs *>(widget))
            windows.append(widget);
    }
    qDeleteAll(windows);
    return status;
}
