#pragma once

#include "platform/result/result.h"

#include <QByteArrayView>
#include <QFile>
#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <map>
#include <memory>

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
 */
class SpoolWriter
{
public:
    using Clock = std::chrono::steady_clock;

    /// \a closesLog tells whether a line is the one that closes a log, by the update run's rule.
    SpoolWriter(QString folder, std::function<bool(QByteArrayView)> closesLog);
    ~SpoolWriter();
    SpoolWriter(const SpoolWriter &) = delete;
    SpoolWriter &operator=(const SpoolWriter &) = delete;

    /// The part of a spool file's name that names its server: "192.0.2.7_27015".
    static QString serverName(const QHostAddress &address, quint16 port);

    /// Closes the spool files a listener before this one left open; the names of those closed.
    Result<QStringList> closeLeftovers();
    /// Appends \a line of the server \a server (as serverName() names it), opening its next
    /// file when it has none open. A line that cannot be written whole leaves no part of it.
    Result<> append(const QString &server, QByteArrayView line, Clock::time_point now);
    /// Closes the files that got no line since \a silence before \a now; their names.
    Result<QStringList> closeIdle(Clock::time_point now, Clock::duration silence);
    /// Closes every open file; their names.
    Result<QStringList> closeAll();

    QString folder() const { return m_folder; }

private:
    struct Open
    {
        std::unique_ptr<QFile> file;
        qint64 size = 0;
        Clock::time_point lastLine;
    };

    Result<Open> open(const QString &server);
    Result<> write(Open &open, QByteArrayView line);
    /// Appends the writer's own closing line and closes the file.
    Result<> close(Open &open);
    /// Closes the open files \a which says; their names.
    Result<QStringList> closeWhere(const std::function<bool(const Open &)> &which);
    int largestSequence(const QString &server) const;

    QString m_folder;
    std::function<bool(QByteArrayView)> m_closesLog;
    std::map<QString, Open> m_open;
    std::map<QString, int> m_sequence; // last sequence used per server, by this writer
    QByteArray m_buffer;
};
