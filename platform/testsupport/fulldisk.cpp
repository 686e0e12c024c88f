// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/testsupport/fulldisk.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

FullDisk::FullDisk(const QString &folder, int kibibytes) : m_folder(folder)
{
#ifdef Q_OS_LINUX
    QDir().mkpath(folder);
    const QByteArray target = QFile::encodeName(folder);
    const QByteArray options = "size=" + QByteArray::number(kibibytes) + "k";
    if (::mount("tmpfs", target.constData(), "tmpfs", 0, options.constData()) == 0)
        m_mounted = true;
    else
        m_whyNot = QStringLiteral("cannot mount a small tmpfs to fill (%1); the full-disk case "
                                  "needs root")
                       .arg(QString::fromLocal8Bit(std::strerror(errno)));
#else
    Q_UNUSED(kibibytes);
    m_whyNot = QStringLiteral("a full tmpfs can only be mounted on Linux");
#endif
}

FullDisk::~FullDisk()
{
#ifdef Q_OS_LINUX
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
#endif
}

bool FullDisk::fill()
{
#ifdef Q_OS_LINUX
    if (!m_mounted)
        return false;
    const QByteArray ballast = QFile::encodeName(m_folder + QStringLiteral("/.ballast"));
    const int fd = ::open(ballast.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0)
        return false;
    // Big blocks first, then ever smaller ones for the rest of the last page.
    const QByteArray block(4096, 'x');
    for (qsizetype size = block.size(); size > 0; size /= 2) {
        while (::write(fd, block.constData(), std::size_t(size)) == size) { }
    }
    ::close(fd);
    struct statvfs disk;
    return ::statvfs(QFile::encodeName(m_folder).constData(), &disk) == 0 && disk.f_bavail == 0;
#else
    return false;
#endif
}
