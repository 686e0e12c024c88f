// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

/**
 * A mod folder of its own for a test or a picture, in a temporary folder that goes with it:
 * the maps folder with empty map files, and the map cycle file.
 */
class SampleMod
{
public:
    /// The folder \a name, not created yet, in a new temporary folder.
    explicit SampleMod(const QString &name = QStringLiteral("cstrike"));

    bool isValid() const { return m_root.isValid(); }
    const QString &path() const { return m_path; }
    /// A path beside the mod folder, in the same temporary folder.
    QString beside(const QString &name) const { return m_root.filePath(name); }

    /// Creates the maps folder with an empty file for each of \a mapFiles ("de_dust2.bsp") and,
    /// unless \a mapCycle is null, the map cycle file with exactly that content.
    bool write(const QStringList &mapFiles, const QByteArray &mapCycle = {}) const;
    /// The map cycle file as it stands, "<missing>" when there is none.
    QByteArray mapCycle() const;

private:
    QTemporaryDir m_root;
    QString m_path;
};
