#include "platform/settings/programsettings.h"

#include "platform/settings/settingsstore.h"

#include <QDir>

ProgramSettings::ProgramSettings(SettingsStore &store, QString application)
    : m_store(store), m_application(std::move(application))
{ }

QString ProgramSettings::location() const
{
    return QDir::toNativeSeparators(m_store.location(m_application));
}

QString ProgramSettings::read(const Entry &entry) const
{
    const QString stored = m_store.read(m_application, entry.section, entry.name);
    return stored.isEmpty() ? entry.defaultValue : stored;
}

Result<> ProgramSettings::write(const Entry &entry, const QString &value)
{
    if (!m_store.write(m_application, entry.section, entry.name, value))
        return Result<>::failure(
            QStringLiteral("%1 could not be stored: cannot write %2").arg(entry.name, location()));
    return {};
}
