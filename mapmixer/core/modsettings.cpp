#include "mapmixer/core/modsettings.h"

#include "platform/settings/settingsstore.h"

QString ModSettings::storedFolder(const SettingsStore &settings, const QString &modName)
{
    return settings.read(application(), modName, folderKey());
}

QString ModSettings::folderFor(SettingsStore &settings, const QString &modName,
                               const std::function<QString()> &ask, bool *stored)
{
    if (stored)
        *stored = true;
    QString folder = storedFolder(settings, modName);
    if (!folder.isEmpty())
        return folder;
    do
        folder = ask();
    while (folder.isEmpty());
    const bool written = settings.write(application(), modName, folderKey(), folder);
    if (stored)
        *stored = written;
    return folder;
}
