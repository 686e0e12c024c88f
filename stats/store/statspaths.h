// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"
#include "stats/store/tolvanesettings.h"

#include <QString>

class SettingsStore;

/** Where Tolvane finds its log folder and database, as its settings keep them. */
class StatsPaths
{
public:
    explicit StatsPaths(SettingsStore &settings);

    QString logFolder() const; ///< empty when none is known
    Result<> setLogFolder(const QString &folder);
    QString databasePath() const; ///< the stored path, else the default
    /// Stores \a path; an address is stored without the password it may hold.
    Result<> setDatabasePath(const QString &path);
    QString host() const; ///< the stored machine id, else this machine's own

private:
    TolvaneSettings m_settings;
};
