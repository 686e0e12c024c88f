// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

/**
 * Per-user text values addressed by application name, section and key.
 *
 * Sections are whatever a user typed on a command line (a mod name), so they are encoded before
 * they reach QSettings, which would otherwise read "/" and "\" as group separators and let two
 * different sections share values. A value never written reads as the empty text.
 */
class SettingsStore
{
public:
    /// An empty root folder means the platform's per-user location; tests pass a temporary one.
    explicit SettingsStore(QString rootFolder = {});
    virtual ~SettingsStore() = default;

    virtual QString read(const QString &application, const QString &section,
                         const QString &key) const;
    /// Returns false when the value could not be stored; the old value then stays in force.
    virtual bool write(const QString &application, const QString &section, const QString &key,
                       const QString &value);
    /// Where the values of \a application are kept, for messages about a failed write.
    virtual QString location(const QString &application) const;

    static QString encodeName(const QString &name);
    static QString decodeName(const QString &encoded);

private:
    QString m_rootFolder;
};
