// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/files/filestore.h"

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

Result<QByteArray> FileStore::readAll(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QByteArray>::failure(file.errorString());
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<QByteArray>::failure(file.errorString());
    return content;
}

Result<> FileStore::writeAtomically(const QString &path, const QByteArray &content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Result<>::failure(file.errorString());
    // QSaveFile keeps a small write in its buffer and loses the error of the flush inside
    // commit(): on a full disk it would put an empty file in place of the old one and report
    // success. So the write is flushed and checked here, and on the disk before the rename.
    QString reason;
    if (file.write(content) != content.size() || !file.flush()) {
        reason = file.errorString();
    } else if (syncToDisk(file.handle(), &reason)) {
        if (file.commit())
            return {};
        reason = file.errorString();
    }
    file.cancelWriting();
    return Result<>::failure(reason);
}

Result<> FileStore::copyAtomically(const QString &source, const QString &target)
{
    const auto content = readAll(source);
    if (!content)
        return Result<>::failure(content.failure());
    return writeAtomically(target, *content);
}

Result<> FileStore::makeFolder(const QString &path)
{
#ifdef Q_OS_WIN
    const std::filesystem::path folder(path.toStdWString());
#else
    const std::filesystem::path folder(QFile::encodeName(path).toStdString());
#endif
    std::error_code failure;
    std::filesystem::create_directories(folder, failure);
    if (!failure)
        return {};
    return Result<>::failure(QString::fromLocal8Bit(failure.message()));
}
