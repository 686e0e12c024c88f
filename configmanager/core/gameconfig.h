// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "configmanager/core/quorrelsettings.h"
#include "platform/result/result.h"

#include <QStringList>

class FileStore;
class GameLauncher;
class SettingsStore;

/**
 * Quorrel's program-wide values and its configuration library for one mod.
 *
 * The settings (QuorrelSettings) hold the path of the game's configuration file and the command
 * line that starts the game; the library is the folder "Configs" beside that file, one
 * "<name>.cfg" per stored configuration. Nothing is cached: every operation reads the settings
 * again, because the registration window may change them at any time.
 */
class GameConfig
{
public:
    /// How applying a configuration ended when nothing failed.
    enum class Applied {
        NothingToApply, ///< empty name
        Missing, ///< the stored configuration is gone; the name has been emptied
        NoCommand, ///< copied, but no command line is registered
        GameStarted, ///< copied and started: the program ends now
    };

    GameConfig(QString modName, SettingsStore &settings, FileStore &files, GameLauncher &launcher);

    const QString &ModName() const { return m_settings.modName(); }
    QString ConfigFilePath() const;
    /// The library folder with its trailing separator; empty while no configuration file is set.
    QString ConfigFolder() const;
    QString LaunchCommand() const;

    QuorrelSettings &settings() { return m_settings; }
    const QuorrelSettings &settings() const { return m_settings; }
    FileStore &files() const { return m_files; }

    static QString deriveConfigFolder(const QString &configFilePath);
    /// Whether \a name can be stored as "<name>.cfg" in the library and be listed afterwards.
    static bool isValidConfigName(const QString &name);

    /// The file of the stored configuration \a name: an existing one whose ending differs only in
    /// letter case, otherwise "<ConfigFolder><name>.cfg". Empty when there is no library folder.
    QString storedConfigPath(const QString &name) const;

    /// The names of the stored configurations, in the order the folder yields them.
    QStringList RefreshConfigList() const;
    /// Puts the stored configuration \a name in place of the game's file and starts the game.
    /// Fails when the copy failed (the game's file is then as it was) or the game did not start.
    Result<Applied> ApplyConfig(QString &name);
    Result<> StartGame(const QString &command);
    /// Copies the game's configuration file into the library as \a name (replacing one of the
    /// same name); a name that cannot be stored is refused before anything is read or written.
    Result<> CaptureConfig(const QString &name);

private:
    QuorrelSettings m_settings;
    FileStore &m_files;
    GameLauncher &m_launcher;
};
