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
    Result<> setDatabasePath(const QString &path);

private:
    TolvaneSettings m_settings;
};
