// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/files/fileidentity.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#ifdef Q_OS_WIN
namespace {

// A file's identity on Windows: the serial number of its volume and its index on that volume,
// which a file keeps however it is renamed, and which a file renamed over it does not share.
FileIdentity::Fields fieldsOf(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info {};
    if (handle == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(handle, &info)
        || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return {};
    return {true, info.dwVolumeSerialNumber,
            (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
            (qint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow};
}

} // namespace
#else
namespace {

FileIdentity::Fields fieldsOf(const struct stat &st)
{
    return {true, quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size)};
}

} // namespace
#endif

FileIdentity FileIdentity::of(const QString &path)
{
#ifdef Q_OS_WIN
    // Opened for its attributes only, sharing everything: a server writing the log, or a
    // program about to delete it, is not disturbed.
    const HANDLE handle =
        ::CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const Fields fields = fieldsOf(handle);
    if (handle != INVALID_HANDLE_VALUE)
        ::CloseHandle(handle);
    return FileIdentity(fields);
#else
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return FileIdentity(fieldsOf(st));
#endif
}

FileIdentity FileIdentity::of(const QFile &file)
{
    if (file.handle() < 0)
        return {};
#ifdef Q_OS_WIN
    return FileIdentity(fieldsOf(reinterpret_cast<HANDLE>(::_get_osfhandle(file.handle()))));
#else
    struct stat st
    {
    };
    if (::fstat(file.handle(), &st) != 0)
        return {};
    return FileIdentity(fieldsOf(st));
#endif
}

bool FileIdentity::isSameFile(const FileIdentity &other) const
{
    return m_fields.valid && other.m_fields.valid && m_fields.device == other.m_fields.device
        && m_fields.inode == other.m_fields.inode;
}
