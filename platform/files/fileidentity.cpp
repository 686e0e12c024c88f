// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/files/fileidentity.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#else
#include <QDateTime>
#endif

FileIdentity FileIdentity::of(const QString &path)
{
    FileIdentity identity;
#ifdef Q_OS_UNIX
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode)) {
        identity.m_valid = true;
        identity.m_device = quint64(st.st_dev);
        identity.m_inode = quint64(st.st_ino);
        identity.m_size = qint64(st.st_size);
    }
#else
    const QFileInfo info(path);
    if (info.isFile()) {
        identity.m_valid = true;
        identity.m_inode = quint64(info.lastModified().toMSecsSinceEpoch());
        identity.m_size = info.size();
    }
#endif
    return identity;
}

FileIdentity FileIdentity::of(const QFile &file)
{
#ifdef Q_OS_UNIX
    FileIdentity identity;
    struct stat st
    {
    };
    if (file.handle() >= 0 && ::fstat(file.handle(), &st) == 0) {
        identity.m_valid = true;
        identity.m_device = quint64(st.st_dev);
        identity.m_inode = quint64(st.st_ino);
        identity.m_size = qint64(st.st_size);
    }
    return identity;
#else
    return of(file.fileName());
#endif
}

bool FileIdentity::isSameFile(const FileIdentity &other) const
{
    return m_valid && other.m_valid && m_device == other.m_device && m_inode == other.m_inode;
}
