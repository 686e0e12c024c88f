// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"

#include <QByteArrayView>
#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <vector>

class ExclusiveLock;

/**
 * The spool files of the game servers a listener hears: each line a server sends is appended
 * to a file of its own, "L<address>_<port>_<sequence>.log" (the colons of an IPv6 address
 * written "-"), and written out at once, so that the ordinary update run counts it as it counts
 * a server's own log and a crash loses nothing already received.
 *
 * When the server's stream says "Log file closed", its file is closed and its next line starts
 * the next file; the sequence continues after the largest one already in the folder. A file
 * that gets no line for a while (a server that crashed) is closed by a "Log file closed" line
 * of the writer's own, and so are the files still open when the listener stops and, at start,
 * those a crashed listener left open: a spool file is never left unfinished for good.
 *
 * Senders cannot take every descriptor of the process: past a bound, the file used least
 * recently gives up its descriptor, without a closing line, and is opened again for appending
 * when its server speaks again. A line counts as written only once settle() found it in a file
 * still in the folder: the lines written since the last settle() into a file deleted meanwhile,
 * alone or with its folder, are read back and written into the server's next file, in the
 * folder made again. Below a floor of free space on the folder's disk, lines are refused
 * before they are written (hasRoom()).
 */
class SpoolWriter
{
public:
    using Clock = std::chrono::steady_clock;

    /// Lines append() took that no file kept after all.
    struct Lost
    {
        QString server;
        qint64 lines = 0;
        QByteArray bytes; ///< the lines themselves, when they could be read back
        QString reason;
    };

    /// \a closesLog tells whether a line is the one that closes a log, by the update run's rule;
    /// at most \a maxOpen files hold a descriptor at once.
    SpoolWriter(QString folder, std::function<bool(QByteArrayView)> closesLog,
                int maxOpen = openFileBound());
    ~SpoolWriter();
    SpoolWriter(const SpoolWriter &) = delete;
    SpoolWriter &operator=(const SpoolWriter &) = delete;

    /// The part of a spool file's name that names its server: "192.0.2.7_27015".
    static QString serverName(const QHostAddress &address, quint16 port);
    /// How many spool files may hold a descriptor at once: what the process may open
    /// (RLIMIT_NOFILE), short of what the rest of it needs.
    static int openFileBound();

    /// Makes the folder when it is missing and takes its lock: one writer per folder.
    Result<> prepare();
    /// Closes the spool files a listener before this one left open; the names of those closed.
    Result<QStringList> closeLeftovers();
    /// Whether the folder is still the one prepared; when it was deleted or replaced, forgets
    /// the files of the old one and makes it again (remade() tells).
    Result<> checkFolder();
    /// How many times the folder was made again since prepare().
    int remade() const { return m_remade; }

    /// Lines are refused while fewer than \a bytes would stay free on the folder's disk; 0
    /// writes until the disk is full.
    void setFloor(qint64 bytes) { m_floor = bytes; }
    /// Asks the system how much the folder's disk has free; what is written until the next
    /// measure is taken off that.
    void measureRoom();
    /// Whether \a bytes more leave the floor free, as last measured.
    bool hasRoom(qsizetype bytes) const { return m_floor <= 0 || m_free - bytes >= m_floor; }
    /// The free bytes as last measured, less what was written since.
    qint64 freeBytes() const { return m_free; }

    /// Appends \a line of the server \a server (as serverName() names it), opening its next
    /// file when it has none open. A line that cannot be written whole leaves no part of it.
    Result<> append(const QString &server, QByteArrayView line, Clock::time_point now);
    /// Makes sure that every line appended since the last call is in a file still in the
    /// folder, writing again those whose file was deleted; the lines that could not be.
    std::vector<Lost> settle();
    /// Closes the files that got no line since \a silence before \a now; their names.
    Result<QStringList> closeIdle(Clock::time_point now, Clock::duration silence);
    /// Closes every open file; their names.
    Result<QStringList> closeAll();

    QString folder() const { return m_folder; }

private:
    struct Open
    {
        QString server;
        QString path;
        int fd = -1; ///< -1 while it has given up its descriptor
        qint64 size = 0;
        Clock::time_point lastLine;
        std::list<Open *>::iterator used; ///< its place in m_used while it holds a descriptor
        qint64 unsettledFrom = -1; ///< the size at the first line since the last settle, or -1
        qint64 unsettledLines = 0;
        bool gone = false; ///< its file was found deleted
    };

    /// Lines read back from a deleted file, to be written again.
    struct Orphan
    {
        QString server;
        qint64 lines = 0;
        QByteArray bytes;
        QString unread; ///< why they could not be read back
    };

    Result<> makeFolder();
    /// The open file of \a server, holding a descriptor; a new one when it has none.
    Result<Open *> held(const QString &server);
    Result<Open> create(const QString &server);
    /// Gives \a open its descriptor back; false with errno ENOENT when its file is gone.
    bool reopen(Open &open);
    /// ::open(), first taking a descriptor from the least recently used file when the bound or
    /// the process's limit is reached.
    int openFile(const QString &path, int flags);
    void hold(Open &open);
    void release(Open &open);
    void touch(Open &open);
    /// Writes \a bytes whole, or nothing of them.
    Result<> write(Open &open, QByteArrayView bytes);
    /// Takes \a bytes (whole lines) of \a server as append() takes one line.
    Result<> put(const QString &server, QByteArrayView bytes, qint64 lines, Clock::time_point now);
    /// Keeps aside the unsettled lines of \a open when its file is no longer in the folder, or
    /// when \a folderGone says so.
    void stash(Open &open, bool folderGone = false);
    void forgetGone();
    /// Appends the writer's own closing line and closes the file.
    Result<> close(Open &open);
    /// Closes the open files \a which says; their names.
    Result<QStringList> closeWhere(const std::function<bool(const Open &)> &which);
    /// Drops the files of a folder that is gone, without a word into them.
    void forgetAll();
    void forget(std::map<QString, Open>::iterator it);
    int largestSequence(const QString &server) const;

    QString m_folder;
    std::function<bool(QByteArrayView)> m_closesLog;
    int m_maxOpen;
    std::unique_ptr<ExclusiveLock> m_lock;
    bool m_ready = false; // the folder is there and locked
    quint64 m_device = 0;
    quint64 m_inode = 0;
    int m_remade = 0;
    qint64 m_floor = 0;
    qint64 m_free = 0;
    std::map<QString, Open> m_open; // by server, with or without a descriptor
    std::list<Open *> m_used; // those holding a descriptor, the most recently used first
    std::map<QString, int> m_sequence; // last sequence used per server, by this writer
    std::vector<Orphan> m_orphans;
    QByteArray m_buffer;
};
