// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/settings/settingsstore.h"

#include <QHash>

/**
 * Settings with some values laid over them for this run only: a command line's "--logs DIR"
 * must win over the stored folder without replacing it. Writes to an overlaid value stay in the
 * overlay; every other read and write goes to the store underneath.
 */
class OverlaySettings final : public SettingsStore
{
public:
    explicit OverlaySettings(SettingsStore &base);

    void overlay(const QString &application, const QString &section, const QString &key,
                 const QString &value);

    QString read(const QString &application, const QString &section,
                 const QString &key) const override;
    bool write(const QString &application, const QString &section, const QString &key,
               const QString &value) override;
    QString location(const QString &application) const override;

private:
    static QString address(const QString &application, const QString &section, const QString &key);

    SettingsStore &m_base;
    QHash<QString, QString> m_overlay;
};
