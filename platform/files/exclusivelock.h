// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QtGlobal>

/**
 * A lock between processes, held on a file that stays in place. The system releases it when
 * its holder ends in any way, a kill included, so a crash never leaves it taken; nothing is
 * ever deleted, which would let a waiter and a newcomer each lock a file of their own. Only a
 * plain file is taken for one: never a symbolic link, which would lead the holder's process id
 * into the file it points to.
 */
class ExclusiveLock
{
public:
    enum class Result { Locked, Busy, Failed };

    explicit ExclusiveLock(QString path);
    ~ExclusiveLock();
    ExclusiveLock(const ExclusiveLock &) = delete;
    ExclusiveLock &operator=(const ExclusiveLock &) = delete;

    /// Takes the lock if nobody holds it; never waits.
    Result tryLock();
    void unlock();
    bool isLocked() const;
    QString path() const { return m_path; }
    /// Why the last tryLock() failed, naming the lock file.
    QString errorString() const { return m_error; }
    /// The process id the holder wrote into the file, or 0 when unknown.
    qint64 holder() const;

private:
    QString shown() const;

    QString m_path;
    QString m_error;
#ifdef Q_OS_WIN
    void *m_handle = nullptr; // the locked file's HANDLE
#else
    int m_fd = -1;
#endif
};
