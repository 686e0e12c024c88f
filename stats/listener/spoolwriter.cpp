// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/listener/spoolwriter.h"

#include "platform/files/exclusivelock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <system_error>
#include <unistd.h>

namespace {

// The end of a file that holds its last line whatever a server writes into it.
constexpr qint64 tailSize = 4096;

const char *lockName = "tolvane-listen.lock";

QRegularExpression spoolName(const QString &server = {})
{
    const QString who =
        server.isEmpty() ? QStringLiteral(".+_\\d+") : QRegularExpression::escape(server);
    return QRegularExpression(QStringLiteral("^L%1_(\\d+)\\.log$").arg(who));
}

QByteArray closingLine()
{
    return QDateTime::currentDateTime()
        .toString(QStringLiteral("'L 'MM/dd/yyyy' - 'hh:mm:ss': Log file closed'"))
        .toLatin1();
}

/// "cannot WHAT PATH: the system's reason", from errno as the failed call left it.
QString failure(const QString &what, const QString &path, int error = errno)
{
    return QStringLiteral("cannot %1 %2: %3")
        .arg(what, QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(error)));
}

bool isLinked(int fd)
{
    struct stat info;
    // Should the system not say, the file is taken to be where it was.
    return ::fstat(fd, &info) != 0 || info.st_nlink > 0;
}

} // namespace

SpoolWriter::SpoolWriter(QString folder, std::function<bool(QByteArrayView)> closesLog, int maxOpen)
    : m_folder(std::move(folder)), m_closesLog(std::move(closesLog)),
      m_maxOpen(std::max(1, maxOpen))
{ }

SpoolWriter::~SpoolWriter()
{
    for (Open *open : m_used)
        ::close(open->fd);
}

QString SpoolWriter::serverName(const QHostAddress &address, quint16 port)
{
    QString name = address.toString();
    name.replace(QLatin1Char(':'), QLatin1Char('-'));
    return name + QLatin1Char('_') + QString::number(port);
}

int SpoolWriter::openFileBound()
{
    // Kept for the rest of the process: the standard streams, the socket, the signal pair, the
    // lock, Qt's event loop and the pipes of a count running meanwhile, with room to spare.
    constexpr qint64 reserved = 48;
    // More game servers than this take turns, at the cost of an open for each turn.
    constexpr qint64 most = 256;
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 16;
    const qint64 soft = limit.rlim_cur == RLIM_INFINITY ? most + reserved : qint64(limit.rlim_cur);
    return int(std::clamp<qint64>(soft - reserved, 1, most));
}

Result<> SpoolWriter::makeFolder()
{
    const QString shown = QDir::toNativeSeparators(m_folder);
    const std::filesystem::path path(QFile::encodeName(m_folder).toStdString());
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (!error && !std::filesystem::is_directory(path, error) && !error)
        error = std::make_error_code(std::errc::not_a_directory);
    if (error)
        return Result<>::failure(QStringLiteral("cannot make the spool folder %1: %2")
                                     .arg(shown, QString::fromLocal8Bit(error.message())));
    // Two listeners writing into one folder would number their files alike.
    auto lock = std::make_unique<ExclusiveLock>(QDir(m_folder).filePath(QLatin1String(lockName)));
    switch (lock->tryLock()) {
    case ExclusiveLock::Result::Locked:
        break;
    case ExclusiveLock::Result::Busy:
        return Result<>::failure(
            QStringLiteral("another listener (process %1) writes into the spool folder %2")
                .arg(lock->holder())
                .arg(shown));
    case ExclusiveLock::Result::Failed:
        return Result<>::failure(lock->errorString());
    }
    struct stat info;
    if (::stat(QFile::encodeName(m_folder).constData(), &info) != 0)
        return Result<>::failure(failure(QStringLiteral("look at the spool folder"), m_folder));
    m_lock = std::move(lock);
    m_device = quint64(info.st_dev);
    m_inode = quint64(info.st_ino);
    m_ready = true;
    return {};
}

Result<> SpoolWriter::prepare()
{
    const Result<> made = makeFolder();
    if (made)
        measureRoom();
    return made;
}

Result<> SpoolWriter::checkFolder()
{
    struct stat info;
    if (m_ready && ::stat(QFile::encodeName(m_folder).constData(), &info) == 0
        && S_ISDIR(info.st_mode) && quint64(info.st_dev) == m_device
        && quint64(info.st_ino) == m_inode)
        return {};
    if (m_ready) {
        forgetAll();
        m_ready = false;
    }
    if (const Result<> made = makeFolder(); !made)
        return made;
    ++m_remade;
    measureRoom();
    return {};
}

void SpoolWriter::measureRoom()
{
    if (m_floor <= 0)
        return;
    struct statvfs disk;
    // A folder gone for now keeps the last measure until it is made again.
    if (::statvfs(QFile::encodeName(m_folder).constData(), &disk) == 0)
        m_free = qint64(disk.f_bavail) * qint64(disk.f_frsize);
}

Result<QStringList> SpoolWriter::closeLeftovers()
{
    QStringList closed;
    const QRegularExpression ours = spoolName();
    const QStringList names = QDir(m_folder).entryList(QDir::Files, QDir::Name);
    for (const QString &name : names) {
        if (!ours.match(name).hasMatch())
            continue;
        QFile file(QDir(m_folder).filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return Result<QStringList>::failure(
                QStringLiteral("cannot open %1: %2")
                    .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
        const qint64 size = file.size();
        QByteArray tail;
        if (size > 0 && file.seek(std::max<qint64>(0, size - tailSize)))
            tail = file.read(tailSize);
        if (tail.size() != std::min(size, tailSize))
            return Result<QStringList>::failure(
                QStringLiteral("cannot read %1: %2")
                    .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
        file.close();
        if (!tail.isEmpty() && m_closesLog(tail))
            continue;
        Open leftover;
        leftover.path = file.fileName();
        leftover.size = size;
        leftover.fd = openFile(leftover.path, O_RDWR | O_APPEND);
        if (leftover.fd < 0)
            return Result<QStringList>::failure(failure(QStringLiteral("open"), leftover.path));
        hold(leftover);
        // A line cut short by a crash stays a line of its own, which the count skips.
        if (!tail.isEmpty() && !tail.endsWith('\n') && !tail.endsWith('\r')) {
            if (const Result<> ended = write(leftover, "\n"); !ended) {
                release(leftover);
                return Result<QStringList>::failure(ended.failure());
            }
        }
        if (const Result<> done = close(leftover); !done)
            return Result<QStringList>::failure(done.failure());
        closed << name;
    }
    return closed;
}

int SpoolWriter::largestSequence(const QString &server) const
{
    int largest = 0;
    const QRegularExpression ours = spoolName(server);
    const QStringList names = QDir(m_folder).entryList(
        {QStringLiteral("L") + server + QStringLiteral("_*.log")}, QDir::Files);
    for (const QString &name : names) {
        const QRegularExpressionMatch match = ours.match(name);
        if (match.hasMatch())
            largest = std::max(largest, match.captured(1).toInt());
    }
    return largest;
}

void SpoolWriter::hold(Open &open)
{
    m_used.push_front(&open);
    open.used = m_used.begin();
}

void SpoolWriter::release(Open &open)
{
    if (open.unsettledFrom >= 0)
        stash(open);
    // Its log goes on: no closing line, and its next line reopens the same file.
    ::close(open.fd);
    open.fd = -1;
    m_used.erase(open.used);
}

void SpoolWriter::touch(Open &open)
{
    if (open.used != m_used.begin())
        m_used.splice(m_used.begin(), m_used, open.used);
}

int SpoolWriter::openFile(const QString &path, int flags)
{
    while (int(m_used.size()) >= m_maxOpen)
        release(*m_used.back());
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        const int fd = ::open(name.constData(), flags | O_CLOEXEC, 0666);
        if (fd >= 0 || (errno != EMFILE && errno != ENFILE) || m_used.empty())
            return fd;
        release(*m_used.back());
    }
}

bool SpoolWriter::reopen(Open &open)
{
    // Read and write: the lines written into a file deleted meanwhile are read back from it.
    const int fd = openFile(open.path, O_RDWR | O_APPEND);
    if (fd < 0)
        return false;
    struct stat info;
    if (::fstat(fd, &info) == 0)
        open.size = info.st_size;
    open.fd = fd;
    hold(open);
    return true;
}

Result<SpoolWriter::Open> SpoolWriter::create(const QString &server)
{
    // The count deletes finished files: the sequence this writer used is kept as well.
    int sequence = std::max(m_sequence[server], largestSequence(server));
    Open open;
    open.server = server;
    int error = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        ++sequence;
        open.path = QDir(m_folder).filePath(
            QStringLiteral("L%1_%2.log").arg(server).arg(sequence, 6, 10, QLatin1Char('0')));
        open.fd = openFile(open.path, O_RDWR | O_APPEND | O_CREAT | O_EXCL);
        if (open.fd >= 0) {
            m_sequence[server] = sequence;
            return open;
        }
        error = errno;
        if (error != EEXIST)
            break;
    }
    return Result<Open>::failure(failure(QStringLiteral("create"), open.path, error));
}

Result<SpoolWriter::Open *> SpoolWriter::held(const QString &server)
{
    auto it = m_open.find(server);
    if (it != m_open.end() && it->second.gone) {
        forget(it);
        it = m_open.end();
    }
    if (it != m_open.end()) {
        Open &open = it->second;
        if (open.fd >= 0) {
            touch(open);
            return &open;
        }
        if (reopen(open))
            return &open;
        if (errno != ENOENT)
            return Result<Open *>::failure(failure(QStringLiteral("open again"), open.path));
        // Gone while it waited for its turn: its log goes on in the next file.
        m_open.erase(it);
    }
    Result<Open> created = create(server);
    if (!created) {
        // A folder deleted since the last look is made again, and the file made there.
        const int remadeBefore = m_remade;
        if (const Result<> made = checkFolder(); !made)
            return Result<Open *>::failure(made.failure());
        if (m_remade == remadeBefore)
            return Result<Open *>::failure(created.failure());
        created = create(server);
        if (!created)
            return Result<Open *>::failure(created.failure());
    }
    Open &open = m_open.emplace(server, std::move(created).value()).first->second;
    hold(open);
    return &open;
}

Result<> SpoolWriter::write(Open &open, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(open.fd, data, std::size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0) {
            const QString reason = failure(QStringLiteral("write to"), open.path);
            // Whatever part of the lines went out would join the next line: it goes.
            [[maybe_unused]] const int cut = ::ftruncate(open.fd, open.size);
            return Result<>::failure(reason);
        }
        data += written;
        left -= written;
    }
    open.size += bytes.size();
    m_free -= bytes.size();
    return {};
}

Result<> SpoolWriter::append(const QString &server, QByteArrayView line, Clock::time_point now)
{
    m_buffer.clear();
    m_buffer.append(line);
    m_buffer.append('\n');
    return put(server, m_buffer, 1, now);
}

Result<> SpoolWriter::put(const QString &server, QByteArrayView bytes, qint64 lines,
                          Clock::time_point now)
{
    if (!m_ready) {
        if (const Result<> made = checkFolder(); !made)
            return made;
    }
    const Result<Open *> file = held(server);
    if (!file)
        return Result<>::failure(file.failure());
    Open &open = **file;
    const qint64 start = open.size;
    if (const Result<> written = write(open, bytes); !written) {
        // A count would take an empty file for a finished log and delete it under us.
        if (open.size == 0 && open.unsettledFrom < 0) {
            ::unlink(QFile::encodeName(open.path).constData());
            forget(m_open.find(server));
        }
        return written;
    }
    if (open.unsettledFrom < 0)
        open.unsettledFrom = start;
    open.unsettledLines += lines;
    open.lastLine = now;
    const QByteArrayView body = bytes.chopped(1);
    if (m_closesLog(body.sliced(body.lastIndexOf('\n') + 1)))
        forget(m_open.find(server));
    return {};
}

void SpoolWriter::stash(Open &open, bool folderGone)
{
    const qint64 from = std::exchange(open.unsettledFrom, -1);
    const qint64 lines = std::exchange(open.unsettledLines, 0);
    // One look per file and settle, rather than one per line: a deleted file takes what is
    // written into it without a word, and no count ever reads it.
    if (from < 0 || (!folderGone && isLinked(open.fd)))
        return;
    open.gone = true;
    Orphan orphan;
    orphan.server = open.server;
    orphan.lines = lines;
    orphan.bytes.resize(open.size - from);
    qsizetype done = 0;
    while (done < orphan.bytes.size()) {
        const ssize_t got = ::pread(open.fd, orphan.bytes.data() + done,
                                    std::size_t(orphan.bytes.size() - done), from + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            orphan.unread = got < 0 ? failure(QStringLiteral("read back"), open.path)
                                    : failure(QStringLiteral("read back"), open.path, EIO);
            orphan.bytes.clear();
            break;
        }
        done += got;
    }
    m_orphans.push_back(std::move(orphan));
}

std::vector<SpoolWriter::Lost> SpoolWriter::settle()
{
    std::vector<Lost> lost;
    for (int round = 0;; ++round) {
        // A folder gone or replaced keeps aside what its files took since the last settle.
        const Result<> folder = checkFolder();
        for (Open *open : m_used)
            stash(*open);
        forgetGone();
        if (m_orphans.empty())
            return lost;
        const std::vector<Orphan> orphans = std::exchange(m_orphans, {});
        for (const Orphan &orphan : orphans) {
            Result<> kept;
            if (!orphan.unread.isEmpty())
                kept = Result<>::failure(orphan.unread);
            else if (!folder)
                kept = folder;
            else if (round >= 2)
                kept = Result<>::failure(
                    QStringLiteral("cannot keep a spool file in %1: each was deleted as soon "
                                   "as written to")
                        .arg(QDir::toNativeSeparators(m_folder)));
            else
                kept = put(orphan.server, orphan.bytes, orphan.lines, Clock::now());
            if (!kept)
                lost.push_back({orphan.server, orphan.lines, orphan.bytes, kept.reason()});
        }
    }
}

void SpoolWriter::forget(std::map<QString, Open>::iterator it)
{
    if (it->second.fd >= 0)
        release(it->second);
    m_open.erase(it);
}

void SpoolWriter::forgetGone()
{
    for (auto it = m_open.begin(); it != m_open.end();) {
        auto next = std::next(it);
        if (it->second.gone)
            forget(it);
        it = next;
    }
}

void SpoolWriter::forgetAll()
{
    for (Open *open : m_used)
        stash(*open, true);
    while (!m_open.empty())
        forget(m_open.begin());
    m_lock.reset();
}

Result<> SpoolWriter::close(Open &open)
{
    if (open.fd < 0 && !reopen(open)) {
        // Gone with its folder: nothing is left to finish.
        if (errno == ENOENT)
            return {};
        return Result<>::failure(failure(QStringLiteral("open again"), open.path));
    }
    Result<> written;
    if (isLinked(open.fd))
        written = write(open, closingLine() + '\n');
    release(open);
    return written;
}

Result<QStringList> SpoolWriter::closeWhere(const std::function<bool(const Open &)> &which)
{
    QStringList closed;
    QString failed;
    for (auto it = m_open.begin(); it != m_open.end();) {
        if (!which(it->second)) {
            ++it;
            continue;
        }
        closed << QFileInfo(it->second.path).fileName();
        if (const Result<> done = close(it->second); !done && failed.isEmpty())
            failed = done.reason();
        it = m_open.erase(it);
    }
    if (!failed.isEmpty())
        return Result<QStringList>::failure(failed);
    return closed;
}

Result<QStringList> SpoolWriter::closeIdle(Clock::time_point now, Clock::duration silence)
{
    return closeWhere([&](const Open &open) { return now - open.lastLine >= silence; });
}

Result<QStringList> SpoolWriter::closeAll()
{
    return closeWhere([](const Open &) { return true; });
}
