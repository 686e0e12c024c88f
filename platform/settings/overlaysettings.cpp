// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/settings/overlaysettings.h"

OverlaySettings::OverlaySettings(SettingsStore &base) : m_base(base) { }

QString OverlaySettings::address(const QString &application, const QString &section,
                                 const QString &key)
{
    return encodeName(application) + QLatin1Char('/') + encodeName(section) + QLatin1Char('/')
        + encodeName(key);
}

void OverlaySettings::overlay(const QString &application, const QString &section,
                              const QString &key, const QString &value)
{
    m_overlay.insert(address(application, section, key), value);
}

QString OverlaySettings::read(const QString &application, const QString &section,
                              const QString &key) const
{
    const auto it = m_overlay.constFind(address(application, section, key));
    return it != m_overlay.cend() ? it.value() : m_base.read(application, section, key);
}

QString OverlaySettings::location(const QString &application) const
{
    return m_base.location(application);
}

bool OverlaySettings::write(const QString &application, const QString &section, const QString &key,
                            const QString &value)
{
    const QString at = address(application, section, key);
    if (m_overlay.contains(at)) {
        m_overlay.insert(at, value);
        return true;
    }
    return m_base.write(application, section, key, value);
}
