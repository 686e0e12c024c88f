// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QtGlobal>

class QFile;

/**
 * Which file a path or an open file is, beyond its name: a file renamed over another keeps the
 * name but not the identity: on Unix the device and inode number, on Windows the volume's serial
 * number and the file's index.
 */
class FileIdentity
{
public:
    /// The file \a path names now; invalid when it does not exist.
    static FileIdentity of(const QString &path);
    /// The file \a file has open, whatever its name has become since.
    static FileIdentity of(const QFile &file);

    bool isValid() const { return m_fields.valid; }
    qint64 size() const { return m_fields.size; }
    /// Whether both are the same file (their sizes may differ).
    bool isSameFile(const FileIdentity &other) const;

    struct Fields
    {
        bool valid = false;
        quint64 device = 0; ///< the device, or the volume's serial number
        quint64 inode = 0; ///< the inode, or the file's index on its volume
        qint64 size = -1;
    };

    FileIdentity() = default;

private:
    explicit FileIdentity(const Fields &fields) : m_fields(fields) { }
    Fields m_fields;
};
