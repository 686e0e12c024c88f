// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"

#include <QString>
#include <QStringList>

class SettingsStore;

/**
 * The folders Tolvane's systemd user services may write into beyond its data folder. Their
 * sandbox shows them the rest of the system read-only, so the stored log folder (whose finished
 * logs the update deletes) and the stored database's folder (the database, its lock and its
 * write-ahead log) are named in a drop-in of each service, "tolvane-store.conf" under
 * ~/.config/systemd/user/UNIT.d/, rewritten whenever the paths are stored.
 */
class ServiceDropIns
{
public:
    explicit ServiceDropIns(SettingsStore &settings);

    /// Writes the drop-ins for the stored paths, making the database's folder if it is missing
    /// (only a folder that exists can be made writable); gives a line for the user.
    Result<QString> write() const;

    /// The folders \a unit (such as "tolvane-update.service") may write into.
    QStringList writableFolders(const QString &unit) const;
    /// The text of \a unit's drop-in.
    Result<QString> dropIn(const QString &unit) const;
    /// \a folder as one word of a systemd path list: quoted, with '%' doubled, and passed over
    /// when it does not exist.
    static Result<QString> unitFileWord(const QString &folder);
    /// Where \a unit's drop-in goes.
    static QString dropInPath(const QString &unit);

private:
    QString m_logFolder;
    QString m_database;
};
