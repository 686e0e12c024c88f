// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArrayView>

/**
 * One datagram of a game server's log stream, taken apart. A plain packet is FF FF FF FF, "log "
 * and the log line; a keyed one (the server has "sv_logsecret" set) is FF FF FF FF, "S", the
 * secret's digits and the line. The line starts with the time stamp the log files have,
 * "L MM/DD/YYYY - hh:mm:ss: ", and usually ends with a line feed and a NUL, which are not part
 * of it.
 *
 * Anything else is invalid, with the reason: not a log packet at all, longer than a server's
 * line can be, cut short before the end of its time stamp, or holding a NUL or a line break
 * inside its line. The views point into the datagram and live as long as it.
 */
class LogPacket
{
public:
    enum class Kind { Plain, Keyed, Invalid };
    enum class Fault { None, NotLog, Oversized, Truncated, Binary };

    /// The largest datagram taken: a server's line stays under 1 KiB, and 64 bytes more hold
    /// the header, the secret and the line end.
    static constexpr qsizetype maxSize = 1024 + 64;

    /// Takes \a datagram apart; \a truncatedBySystem says it was longer than the bytes given.
    static LogPacket parse(QByteArrayView datagram, bool truncatedBySystem = false);

    Kind kind() const { return m_kind; }
    Fault fault() const { return m_fault; }
    bool isValid() const { return m_kind != Kind::Invalid; }
    /// The secret's digits of a keyed packet, else empty.
    QByteArrayView secret() const { return m_secret; }
    /// The log line, without its line end; empty for an invalid packet.
    QByteArrayView line() const { return m_line; }

private:
    static LogPacket invalid(Fault fault);

    Kind m_kind = Kind::Invalid;
    Fault m_fault = Fault::NotLog;
    QByteArrayView m_secret;
    QByteArrayView m_line;
};
