// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/core/quorrelsettings.h"

#include "platform/settings/settingsstore.h"

QString QuorrelSettings::keyName(Key key)
{
    switch (key) {
    case Key::AlreadyUse:
        return QStringLiteral("AlreadyUse");
    case Key::RepertoryFile:
        return QStringLiteral("RepertoryFile");
    case Key::ExecFile:
        return QStringLiteral("ExecFile");
    }
    return {};
}

QuorrelSettings::QuorrelSettings(QString modName, SettingsStore &store)
    : m_modName(std::move(modName)), m_store(store)
{ }

QString QuorrelSettings::read(Key key) const
{
    return m_store.read(application(), m_modName, keyName(key));
}

bool QuorrelSettings::write(Key key, const QString &value)
{
    return m_store.write(application(), m_modName, keyName(key), value);
}

QString QuorrelSettings::location() const
{
    return m_store.location(application());
}
