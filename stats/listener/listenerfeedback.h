// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/listener/logpacket.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <array>
#include <chrono>
#include <map>

/**
 * What the listener tells its user about the game servers it hears: for each, the packets, the
 * lines written, the lines the parser will skip, the packets refused and dropped and why, and
 * the time of the last packet; the senders refused as unknown, one line per address; the
 * datagrams the system dropped; and, once, each server that fell silent.
 */
class ListenerFeedback
{
public:
    using Clock = std::chrono::steady_clock;

    struct Tally
    {
        qint64 packets = 0;
        qint64 lines = 0;
        qint64 skipped = 0; ///< written, but the parser cannot cut them
        qint64 notWritten = 0; ///< accepted, but the spool folder could not take them
        qint64 belowFloor = 0; ///< accepted, but dropped to keep the disk's free-space floor
        qint64 wrongSecret = 0;
        qint64 missingSecret = 0;
        std::array<qint64, 5> dropped {}; ///< by LogPacket::Fault
        qint64 lastPacketMs = 0; ///< since the epoch
        Clock::time_point lastSeen;
        bool changed = false;
        bool silenceTold = false;
    };

    /// The tally of the server \a name ("192.0.2.7:27015"), made on first use; it stays where
    /// it is for the feedback's life.
    Tally &server(const QString &name);
    /// A packet from \a address, which no --allow names.
    void refuseUnknown(const QHostAddress &address, qint64 whenMs);
    /// The system's count of datagrams it dropped.
    void setSystemDrops(quint32 total);

    /// The lines for what changed since the last call (every server's with \a all).
    QStringList changes(bool all = false);
    /// The servers silent for \a silence, each named once until it sends again.
    QStringList newlySilent(Clock::time_point now, Clock::duration silence);
    bool anythingReceived() const;
    /// Lines of accepted packets never written, by every server.
    qint64 linesNotWritten() const;
    /// The datagrams the system dropped, as last set.
    quint32 systemDrops() const { return m_systemDrops; }

    static QString shownTime(qint64 msSinceEpoch);
    /// "10 minutes", "90 seconds".
    static QString shownDuration(Clock::duration duration);

private:
    struct Refused
    {
        qint64 packets = 0;
        qint64 lastPacketMs = 0;
        bool changed = false;
    };

    // Unknown senders can be made up at will: past this many addresses, they are counted
    // together.
    static constexpr std::size_t refusedAddresses = 256;

    std::map<QString, Tally> m_servers;
    std::map<QString, Refused> m_refused;
    Refused m_refusedOthers;
    quint32 m_systemDrops = 0;
    bool m_systemDropsChanged = false;
};
