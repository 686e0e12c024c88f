// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/statspaths.h"

#include "stats/store/postgresaddress.h"

StatsPaths::StatsPaths(SettingsStore &settings) : m_settings(settings) { }

QString StatsPaths::logFolder() const
{
    return m_settings.value(TolvaneSettings::Key::LogFolder);
}

Result<> StatsPaths::setLogFolder(const QString &folder)
{
    return m_settings.setValue(TolvaneSettings::Key::LogFolder, folder);
}

QString StatsPaths::databasePath() const
{
    return m_settings.value(TolvaneSettings::Key::Database);
}

Result<> StatsPaths::setDatabasePath(const QString &path)
{
    return m_settings.setValue(TolvaneSettings::Key::Database,
                               PostgresAddress::withoutPassword(path));
}

QString StatsPaths::host() const
{
    return m_settings.value(TolvaneSettings::Key::Host);
}
