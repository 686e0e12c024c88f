// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/tolvanesettings.h"

#include "platform/settings/overlaysettings.h"
#include "platform/settings/settingsstore.h"

#include <QDir>
#include <QStandardPaths>
#include <QSysInfo>

#include <array>

namespace {

struct Entry
{
    TolvaneSettings::Key key;
    const char *section;
    const char *name;
};

constexpr std::array entries {
    Entry {TolvaneSettings::Key::LogFolder, "Paths", "LogFolder"},
    Entry {TolvaneSettings::Key::Database, "Paths", "Database"},
    Entry {TolvaneSettings::Key::Code, "Authentification", "Code"},
    Entry {TolvaneSettings::Key::Host, "Paths", "Host"},
};

constexpr bool inTheOrderOfTheKeys()
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (std::size_t(entries[i].key) != i)
            return false;
    }
    return true;
}
static_assert(inTheOrderOfTheKeys());

const Entry &entry(TolvaneSettings::Key key)
{
    return entries[std::size_t(key)];
}

QString section(TolvaneSettings::Key key)
{
    return QLatin1String(entry(key).section);
}

QString name(TolvaneSettings::Key key)
{
    return QLatin1String(entry(key).name);
}

} // namespace

TolvaneSettings::TolvaneSettings(SettingsStore &store) : m_store(store) { }

QString TolvaneSettings::application()
{
    return QStringLiteral("Tolvane");
}

QString TolvaneSettings::value(Key key) const
{
    const QString stored = m_store.read(application(), section(key), name(key));
    return stored.isEmpty() ? defaultValue(key) : stored;
}

Result<> TolvaneSettings::setValue(Key key, const QString &value)
{
    if (!m_store.write(application(), section(key), name(key), value))
        return Result<>::failure(QStringLiteral("cannot write %1").arg(location()));
    return {};
}

QString TolvaneSettings::location() const
{
    return QDir::toNativeSeparators(m_store.location(application()));
}

void TolvaneSettings::overlay(OverlaySettings &settings, Key key, const QString &value)
{
    settings.overlay(application(), section(key), name(key), value);
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
