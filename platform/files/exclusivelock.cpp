// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/files/exclusivelock.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QLockFile>
#endif

ExclusiveLock::ExclusiveLock(QString path) : m_path(std::move(path)) { }

ExclusiveLock::~ExclusiveLock()
{
    unlock();
}

QString ExclusiveLock::shown() const
{
    return QDir::toNativeSeparators(m_path);
}

#ifdef Q_OS_UNIX

ExclusiveLock::Result ExclusiveLock::tryLock()
{
    if (m_fd >= 0)
        return Result::Locked;
    // The holder's process id is written into the file: a link planted in its place must not
    // lead that write into another file, nor a pipe or a device make the open hang or act.
    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd < 0) {
        const int error = errno;
        m_error = error == ELOOP
            ? QStringLiteral("%1 is a symbolic link, and a lock file must be a "
                             "plain file: remove the link")
                  .arg(shown())
            : QStringLiteral("%1: %2").arg(shown(), QString::fromLocal8Bit(std::strerror(error)));
        return Result::Failed;
    }
    if (struct stat status; ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        m_error = QStringLiteral("%1 is not a plain file, as a lock file must be: remove it")
                      .arg(shown());
        return Result::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Result::Busy;
        m_error =
            QStringLiteral("%1: %2").arg(shown(), QString::fromLocal8Bit(std::strerror(error)));
        return Result::Failed;
    }
    m_fd = fd;
    // Only a hint for whoever waits: the lock itself is the flock.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd, 0) == 0) [[maybe_unused]]
        const auto written = ::pwrite(fd, pid.constData(), size_t(pid.size()), 0);
    return Result::Locked;
}

void ExclusiveLock::unlock()
{
    if (m_fd < 0)
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

bool ExclusiveLock::isLocked() const
{
    return m_fd >= 0;
}

#else

ExclusiveLock::Result ExclusiveLock::tryLock()
{
    if (!m_lockFile) {
        m_lockFile = std::make_unique<QLockFile>(m_path);
        m_lockFile->setStaleLockTime(0);
    }
    if (m_lockFile->isLocked() || m_lockFile->tryLock(0))
        return Result::Locked;
    if (m_lockFile->error() == QLockFile::LockFailedError)
        return Result::Busy;
    m_error = QStringLiteral("%1: cannot create the lock file").arg(shown());
    return Result::Failed;
}

void ExclusiveLock::unlock()
{
    if (m_lockFile)
        m_lockFile->unlock();
}

bool ExclusiveLock::isLocked() const
{
    return m_lockFile && m_lockFile->isLocked();
}

#endif

qint64 ExclusiveLock::holder() const
{
#ifdef Q_OS_UNIX
    // Read as it is written: never through a link, never from a pipe that would block.
    const int fd = ::open(QFile::encodeName(m_path).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return 0;
    QFile file;
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return 0;
    }
#else
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
#endif
    bool ok = false;
    const qint64 pid = file.readLine(32).trimmed().toLongLong(&ok);
    return ok ? pid : 0;
}
