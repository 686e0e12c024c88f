// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "configmanager/core/gameconfig.h"
#include "configmanager/tests/recordinglauncher.h"
#include "platform/settings/settingsstore.h"
#include "platform/testsupport/failingfilestore.h"
#include "platform/testsupport/testfiles.h"

#include <QTemporaryDir>

/**
 * Quorrel for the mod "cstrike" in a temporary folder of its own: its settings, the game's
 * configuration file (written, but not yet registered) and the library beside it (not yet
 * created), files kept through a store that fails on demand, and a launcher that only records.
 */
class QuorrelTestbed
{
public:
    QuorrelTestbed();
    QuorrelTestbed(const QuorrelTestbed &) = delete;
    QuorrelTestbed &operator=(const QuorrelTestbed &) = delete;

    /// False when the folder or the game's file could not be made.
    bool isValid() const { return m_valid; }
    QString path(const QString &relative) const { return m_dir.filePath(relative); }
    QString settingsFolder() const { return path(QStringLiteral("settings")); }
    const QString &gameFolder() const { return m_gameFolder; }
    const QString &gameFile() const { return m_gameFile; }
    /// The library folder, with its trailing separator.
    QString library() const { return m_gameFolder + QStringLiteral("/Configs/"); }

    GameConfig &config() { return m_config; }
    FailingFileStore &files() { return m_files; }
    RecordingLauncher &launcher() { return m_launcher; }

    bool set(QuorrelSettings::Key key, const QString &value);
    /// Registers the game's file, so that the library is the folder beside it.
    bool registerGameFile() { return set(QuorrelSettings::Key::RepertoryFile, m_gameFile); }
    /// Writes "<library><fileName>", creating the library.
    bool storeConfig(const QString &fileName, const QByteArray &content);

private:
    QTemporaryDir m_dir;
    QString m_gameFolder;
    QString m_gameFile;
    SettingsStore m_settings;
    FailingFileStore m_files;
    RecordingLauncher m_launcher;
    GameConfig m_config;
    bool m_valid = false;
};
