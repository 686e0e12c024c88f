#pragma once

#include <QString>

class SettingsStore;

/**
 * Where Tolvane finds its log folder and database: settings application "Tolvane", section
 * "Paths", keys "LogFolder" and "Database". The database defaults to Stats.db in the user's
 * data folder (the fixed C:\Stats.mdb and D:\ log folder of old Windows installs on Windows).
 */
class StatsPaths
{
public:
    explicit StatsPaths(SettingsStore &settings);

    QString logFolder() const; ///< empty when none is known
    bool setLogFolder(const QString &folder);
    QString databasePath() const; ///< the stored path, else the default
    bool setDatabasePath(const QString &path);

    static QString defaultDatabasePath();
    static QString defaultLogFolder(); ///< empty on Linux, where no location is standard

private:
    SettingsStore &m_settings;
};
