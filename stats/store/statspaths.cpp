#include "stats/store/statspaths.h"

#include "platform/settings/settingsstore.h"

#include <QDir>
#include <QStandardPaths>

namespace {
const QString application = QStringLiteral("Tolvane");
const QString section = QStringLiteral("Paths");
} // namespace

StatsPaths::StatsPaths(SettingsStore &settings) : m_settings(settings) { }

QString StatsPaths::logFolder() const
{
    const QString stored = m_settings.read(application, section, QStringLiteral("LogFolder"));
    return stored.isEmpty() ? defaultLogFolder() : stored;
}

bool StatsPaths::setLogFolder(const QString &folder)
{
    return m_settings.write(application, section, QStringLiteral("LogFolder"), folder);
}

QString StatsPaths::databasePath() const
{
    const QString stored = m_settings.read(application, section, QStringLiteral("Database"));
    return stored.isEmpty() ? defaultDatabasePath() : stored;
}

bool StatsPaths::setDatabasePath(const QString &path)
{
    return m_settings.write(application, section, QStringLiteral("Database"), path);
}

QString StatsPaths::defaultDatabasePath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Stats.mdb");
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(folder.isEmpty() ? QDir::homePath() : folder).filePath(QStringLiteral("Stats.db"));
#endif
}

QString StatsPaths::defaultLogFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("D:\\SIERRA\\Half-Life\\cstrike\\logs\\");
#else
    return {};
#endif
}
