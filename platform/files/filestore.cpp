// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/files/filestore.h"

#include <QFile>
#include <QSaveFile>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <unistd.h>
#endif

namespace {

bool syncToDisk(int handle)
{
#ifdef Q_OS_WIN
    return _commit(handle) == 0;
#else
    return ::fsync(handle) == 0;
#endif
}

} // namespace

Failure FileStore::failureOf(const QFileDevice &file, const QString &what, const QString &object)
{
    // Qt puts the system's error into a file's error text and keeps no code; the code is still
    // where the failed call left it. Qt also fails on its own (a folder where a file should be)
    // after calls that left another code behind: the code counts only when it tells that text.
    const std::error_code error = lastSystemError();
    const QString text = file.errorString();
    if (error && QString::fromLocal8Bit(error.message()) == text)
        return Failure::ofSystem(error, what, object, text);
    return Failure(Failure::Kind::Other, what, object, text);
}

std::error_code FileStore::lastSystemError()
{
#ifdef Q_OS_WIN
    return {static_cast<int>(::GetLastError()), std::system_category()};
#else
    return {errno, std::generic_category()};
#endif
}

Result<QByteArray> FileStore::readAll(const QString &path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<QByteArray>::failure(failureOf(file));
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<QByteArray>::failure(failureOf(file));
    return content;
}

Result<> FileStore::writeAtomically(const QString &path, const QByteArray &content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Result<>::failure(failureOf(file));
    // QSaveFile keeps a small write in its buffer and loses the error of the flush inside
    // commit(): on a full disk it would put an empty file in place of the old one and report
    // success. So the write is flushed and checked here, and on the disk before the rename.
    Failure why;
    if (file.write(content) != content.size() || !file.flush()) {
        why = failureOf(file);
    } else if (syncToDisk(file.handle())) {
        if (file.commit())
            return {};
        why = failureOf(file);
    } else {
        why = Failure::ofSystem(lastSystemError());
    }
    file.cancelWriting();
    return Result<>::failure(why);
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
    return Result<>::failure(Failure::ofSystem(failure));
}
