#pragma once

#include <QString>

#include <functional>

class SettingsStore;

/** Where Rondelay keeps a mod's folder: application "Rondelay", section the mod name. */
class ModSettings
{
public:
    static QString application() { return QStringLiteral("Rondelay"); }
    static QString folderKey() { return QStringLiteral("Dossier"); }

    static QString storedFolder(const SettingsStore &settings, const QString &modName);
    /// The stored folder; when there is none, \a ask is repeated until it gives a non-empty
    /// answer, which is then stored. Returns false in \a stored when storing failed.
    static QString folderFor(SettingsStore &settings, const QString &modName,
                             const std::function<QString()> &ask, bool *stored = nullptr);
};
