// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mapmixer/core/rondelaysettings.h"

#include "platform/settings/settingsstore.h"

namespace {

QString application()
{
    return QStringLiteral("Rondelay");
}

QString folderKey()
{
    return QStringLiteral("Dossier");
}

} // namespace

RondelaySettings::RondelaySettings(SettingsStore &store, QString modName)
    : m_store(store), m_modName(std::move(modName))
{ }

QString RondelaySettings::modFolder() const
{
    return m_store.read(application(), m_modName, folderKey());
}

Result<> RondelaySettings::setModFolder(const QString &folder)
{
    if (!m_store.write(application(), m_modName, folderKey(), folder))
        return Result<>::failure(QStringLiteral("the folder could not be stored in the settings"));
    return {};
}
