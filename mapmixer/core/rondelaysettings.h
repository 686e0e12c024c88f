#pragma once

#include "platform/settings/programsettings.h"

/**
 * What Rondelay keeps in the per-user settings: under the application "Rondelay", one section
 * per mod (the whole command-line text), holding the mod's folder under the key "Dossier", as it
 * was typed ("\" and a trailing separator included). A mod never started has no folder yet: it
 * reads as the empty text.
 */
class RondelaySettings final : public ProgramSettings
{
public:
    enum class Key {
        Dossier, ///< the mod's folder
    };

    RondelaySettings(SettingsStore &store, QString modName);

    QString value(Key key) const { return read(entry(key)); }
    Result<> setValue(Key key, const QString &value) { return write(entry(key), value); }

    static QString application() { return QStringLiteral("Rondelay"); }

private:
    Entry entry(Key key) const;

    QString m_modName;
};
