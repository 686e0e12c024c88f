#include "stats/store/tolvanesettings.h"

#include "platform/settings/overlaysettings.h"

#include <QDir>
#include <QStandardPaths>
#include <QSysInfo>

TolvaneSettings::TolvaneSettings(SettingsStore &store) : ProgramSettings(store, application()) { }

TolvaneSettings::Entry TolvaneSettings::entry(Key key)
{
    const QString paths = QStringLiteral("Paths");
    switch (key) {
    case Key::LogFolder:
        return {paths, QStringLiteral("LogFolder"), defaultValue(key)};
    case Key::Database:
        return {paths, QStringLiteral("Database"), defaultValue(key)};
    case Key::Code:
        return {QStringLiteral("Authentification"), QStringLiteral("Code")};
    case Key::Host:
        return {paths, QStringLiteral("Host"), defaultValue(key)};
    }
    return {};
}

void TolvaneSettings::overlay(OverlaySettings &settings, Key key, const QString &value)
{
    const Entry where = entry(key);
    settings.overlay(application(), where.section, where.name, value);
}

QString TolvaneSettings::defaultValue(Key key)
{
    switch (key) {
    case Key::Database: {
#ifdef Q_OS_WIN
        return QStringLiteral("C:\\Stats.mdb");
#else
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        return QDir(folder.isEmpty() ? QDir::homePath() : folder)
            .filePath(QStringLiteral("Stats.db"));
#endif
    }
    case Key::LogFolder:
#ifdef Q_OS_WIN
        return QStringLiteral("D:\\SIERRA\\Half-Life\\cstrike\\logs\\");
#else
        // No location is standard on Linux.
        return {};
#endif
    case Key::Code:
        // The empty code is the valid one until a code is set.
        return {};
    case Key::Host: {
        // Names the machine in the records of how far its logs were counted, which several
        // machines keep in one database: the system's id outlives a change of host name.
        const QByteArray id = QSysInfo::machineUniqueId();
        return id.isEmpty() ? QSysInfo::machineHostName() : QString::fromLatin1(id);
    }
    }
    return {};
}
