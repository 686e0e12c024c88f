#include "platform/files/exclusivelock.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#else
#include <QLockFile>
#endif

ExclusiveLock::ExclusiveLock(QString path) : m_path(std::move(path)) { }

ExclusiveLock::~ExclusiveLock()
{
    unlock();
}

#ifdef Q_OS_UNIX

ExclusiveLock::Result ExclusiveLock::tryLock()
{
    if (m_fd >= 0)
        return Result::Locked;
    const int fd =
        ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return Result::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Result::Busy;
        m_error = QString::fromLocal8Bit(std::strerror(error));
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
    m_error = QStringLiteral("cannot create the lock file");
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
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    bool ok = false;
    const qint64 pid = file.readLine(32).trimmed().toLongLong(&ok);
    return ok ? pid : 0;
}
