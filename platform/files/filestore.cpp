#include "filestore.h"

#include <QFile>
#include <QSaveFile>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

namespace {

bool syncToDisk(int handle, QString *error)
{
#ifdef Q_OS_WIN
    const bool synced = _commit(handle) == 0;
#else
    const bool synced = ::fsync(handle) == 0;
#endif
    if (!synced && error)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    return synced;
}

} // namespace

std::optional<QByteArray> FileStore::readAll(const QString &path, QString *error) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return content;
}

bool FileStore::writeAtomically(const QString &path, const QByteArray &content, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    // QSaveFile keeps a small write in its buffer and loses the error of the flush inside
    // commit(): on a full disk it would put an empty file in place of the old one and report
    // success. So the write is flushed and checked here, and on the disk before the rename.
    QString reason;
    if (file.write(content) != content.size() || !file.flush()) {
        reason = file.errorString();
    } else if (syncToDisk(file.handle(), &reason)) {
        if (file.commit())
            return true;
        reason = file.errorString();
    }
    file.cancelWriting();
    if (error)
        *error = reason;
    return false;
}

bool FileStore::copyAtomically(const QString &source, const QString &target, QString *error)
{
    const auto content = readAll(source, error);
    if (!content)
        return false;
    return writeAtomically(target, *content, error);
}

bool FileStore::makeFolder(const QString &path, QString *error)
{
#ifdef Q_OS_WIN
    const std::filesystem::path folder(path.toStdWString());
#else
    const std::filesystem::path folder(QFile::encodeName(path).toStdString());
#endif
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (!failure)
        return true;
    if (error)
        *error = QString::fromLocal8Bit(failure.message());
    return false;
}
