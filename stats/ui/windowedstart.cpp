// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/ui/windowedstart.h"

#include "platform/dialogs/dialogs.h"
#include "platform/dialogs/frenchreasons.h"
#include "platform/settings/overlaysettings.h"
#include "platform/settings/settingsstore.h"
#include "stats/store/datastats.h"
#include "stats/store/postgresaddress.h"
#include "stats/store/statspaths.h"
#include "stats/store/tolvanesettings.h"
#include "stats/ui/affiche.h"
#include "stats/ui/calculs.h"
#include "stats/ui/tolvanetexts.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace WindowedStart {

void overlayPaths(OverlaySettings &settings, const QString &logFolder, const QString &database,
                  const QString &host)
{
    if (!logFolder.isEmpty())
        TolvaneSettings::overlay(settings, TolvaneSettings::Key::LogFolder,
                                 QDir(logFolder).absolutePath());
    if (!database.isEmpty())
        TolvaneSettings::overlay(
            settings, TolvaneSettings::Key::Database,
            DataStats::isAddress(database) ? database : QFileInfo(database).absoluteFilePath());
    if (!host.isEmpty())
        TolvaneSettings::overlay(settings, TolvaneSettings::Key::Host, host);
}

bool prepare(SettingsStore &settings, Dialogs &dialogs, DataStats &store)
{
    StatsPaths paths(settings);
    if (paths.logFolder().isEmpty()) {
        const QString folder = dialogs.chooseFolder(nullptr, TolvaneTexts::chooseLogFolder());
        // Not remembered, it is asked for again before the first update.
        if (!folder.isEmpty()) {
            if (const Result<> stored = paths.setLogFolder(folder); !stored)
                dialogs.informFailure(nullptr, TolvaneTexts::programTitle(),
                                      TolvaneTexts::logFolderNotStored(stored.failure()));
        }
    }
    const QString database = paths.databasePath();
    store.setHost(paths.host());
    const Result<> opened = store.open(database);
    // The French is made from the failure's parts; its English, for a search or a report, waits
    // behind the details button.
    if (!opened)
        dialogs.inform(
            nullptr, TolvaneTexts::programTitle(),
            TolvaneTexts::databaseNotOpened().arg(DataStats::isAddress(database)
                                                      ? PostgresAddress::withoutPassword(database)
                                                      : QDir::toNativeSeparators(database),
                                                  FrenchReasons::translate(opened.failure())),
            opened.reason());
    return opened.ok();
}

void closeWindows()
{
    // Picked out first: deleting a window also deletes its menus, which are listed too.
    QWidgetList windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<Affiche *>(widget) || qobject_cast<Calculs *>(widget))
            windows.append(widget);
    }
    qDeleteAll(windows);
}

} // namespace WindowedStart
