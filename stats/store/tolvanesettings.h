#pragma once

#include "platform/settings/programsettings.h"

class OverlaySettings;

/**
 * Tolvane's settings, every key and its default in one place: application "Tolvane", section
 * "Paths" with the keys "LogFolder", "Database" and "Host", section "Authentification" with the
 * key "Code". A key never written, or holding the empty text, reads as its default: the database
 * Stats.db in the user's data folder (the fixed C:\Stats.mdb and D:\ log folder of old Windows
 * installs on Windows), this machine's own id for the host, and otherwise the empty text.
 */
class TolvaneSettings final : public ProgramSettings
{
public:
    enum class Key { LogFolder, Database, Code, Host };

    explicit TolvaneSettings(SettingsStore &store);

    QString value(Key key) const { return read(entry(key)); }
    Result<> setValue(Key key, const QString &value) { return write(entry(key), value); }

    /// Lays \a value over the stored one in \a settings, for this run only.
    static void overlay(OverlaySettings &settings, Key key, const QString &value);
    static QString defaultValue(Key key);
    /// The name the settings are kept under, which is the program's name too.
    static QString application() { return QStringLiteral("Tolvane"); }

private:
    static Entry entry(Key key);
};
