// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class SettingsStore;

/**
 * Quorrel's settings, every key in one place: application "Vantrel", one section per mod (the
 * whole command-line text), and the three keys below. A key never written reads as the empty
 * text; there is no other default.
 */
class QuorrelSettings
{
public:
    enum class Key {
        AlreadyUse, ///< "1" once the program has started for this mod
        RepertoryFile, ///< the full path of the game's configuration file
        ExecFile, ///< the command line that starts the game
    };

    static QString application() { return QStringLiteral("Vantrel"); }
    static QString keyName(Key key);

    QuorrelSettings(QString modName, SettingsStore &store);

    /// The section: the mod name, unchanged.
    const QString &modName() const { return m_modName; }
    QString read(Key key) const;
    /// False when the value could not be stored; the old one then stays in force.
    bool write(Key key, const QString &value);
    /// Where the settings are kept, for a message when they cannot be written.
    QString location() const;

private:
    QString m_modName;
    SettingsStore &m_store;
};
