// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QtGlobal>

class QFile;

/**
 * Which file a path or an open file is, beyond its name: a file renamed over another keeps the
 * name but not the identity. On Unix the device and inode number; elsewhere the size and the
 * time of the last change stand in for them.
 */
class FileIdentity
{
public:
    /// The file \a path names now; invalid when it does not exist.
    static FileIdentity of(const QString &path);
    /// The file \a file has open, whatever its name has become since.
    static FileIdentity of(const QFile &file);

    bool isValid() const { return m_valid; }
    qint64 size() const { return m_size; }
    /// Whether both are the same file (their sizes may differ).
    bool isSameFile(const FileIdentity &other) const;

private:
    bool m_valid = false;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    qint64 m_size = -1;
};
