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
#include <system_error>
#include <windows.h>
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

namespace {

// The one byte locked: far past any content, so that the holder's process id stays readable.
OVERLAPPED lockedByte()
{
    OVERLAPPED at {};
    at.Offset = 0xFFFFFFF0u;
    return at;
}

QString systemText(DWORD error)
{
    return QString::fromStdString(std::error_code(int(error), std::system_category()).message());
}

} // namespace

ExclusiveLock::Result ExclusiveLock::tryLock()
{
    if (m_handle)
        return Result::Locked;
    // Shared for reading and writing, so that a waiter can read who holds it; a lock taken with
    // LockFileEx goes with the handle, which the system closes however the holder ends.
    const HANDLE handle =
        ::CreateFileW(reinterpret_cast<const wchar_t *>(m_path.utf16()),
                      GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        m_error = QStringLiteral("%1: %2").arg(shown(), systemText(::GetLastError()));
        return Result::Failed;
    }
    if (BY_HANDLE_FILE_INFORMATION info {}; !::GetFileInformationByHandle(handle, &info)
        || (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        ::CloseHandle(handle);
        m_error = QStringLiteral("%1 is not a plain file, as a lock file must be: remove it")
                      .arg(shown());
        return Result::Failed;
    }
    OVERLAPPED at = lockedByte();
    if (!::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(handle);
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
            return Result::Busy;
        m_error = QStringLiteral("%1: %2").arg(shown(), systemText(error));
        return Result::Failed;
    }
    m_handle = handle;
    // Only a hint for whoever waits: the lock itself is the locked byte.
    const QByteArray pid = QByteArray::number(qint64(::GetCurrentProcessId())) + "\r\n";
    DWORD written = 0;
    if (::SetFilePointer(handle, 0, nullptr, FILE_BEGIN) == 0 && ::SetEndOfFile(handle))
        ::WriteFile(handle, pid.constData(), DWORD(pid.size()), &written, nullptr);
    return Result::Locked;
}

void ExclusiveLock::unlock()
{
    if (!m_handle)
        return;
    OVERLAPPED at = lockedByte();
    ::UnlockFileEx(m_handle, 0, 1, 0, &at);
    ::CloseHandle(m_handle);
    m_handle = nullptr;
}

bool ExclusiveLock::isLocked() const
{
    return m_handle != nullptr;
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
