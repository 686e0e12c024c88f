#pragma once

#include "platform/settings/programsettings.h"

/**
 * Quorrel's settings, every key in one place: application "Vantrel", one section per mod (the
 * whole command-line text), and the three keys below. A key never written reads as the empty
 * text; there is no other default.
 */
class QuorrelSettings final : public ProgramSettings
{
public:
    enum class Key {
        AlreadyUse, ///< "1" once the program has started for this mod
        RepertoryFile, ///< the full path of the game's configuration file
        ExecFile, ///< the command line that starts the game
    };

    QuorrelSettings(SettingsStore &store, QString modName);

    QString value(Key key) const { return read(entry(key)); }
    Result<> setValue(Key key, const QString &value) { return write(entry(key), value); }

    /// The section: the mod name, unchanged.
    const QString &modName() const { return m_modName; }
    static QString application() { return QStringLiteral("Vantrel"); }

private:
    Entry entry(Key key) const;

    QString m_modName;
};
