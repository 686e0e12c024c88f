// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/listener/listenerfeedback.h"

#include "platform/cli/plural.h"
#include <QDateTime>

namespace {

QString number(qint64 n)
{
    return QString::number(n);
}

} // namespace

ListenerFeedback::Tally &ListenerFeedback::server(const QString &name)
{
    return m_servers[name];
}

void ListenerFeedback::refuseUnknown(const QHostAddress &address, qint64 whenMs)
{
    const QString name = address.toString();
    auto it = m_refused.find(name);
    if (it == m_refused.end() && m_refused.size() >= refusedAddresses) {
        ++m_refusedOthers.packets;
        m_refusedOthers.lastPacketMs = whenMs;
        m_refusedOthers.changed = true;
        return;
    }
    Refused &refused = it == m_refused.end() ? m_refused[name] : it->second;
    ++refused.packets;
    refused.lastPacketMs = whenMs;
    refused.changed = true;
}

void ListenerFeedback::setSystemDrops(quint32 total)
{
    if (total != m_systemDrops) {
        m_systemDrops = total;
        m_systemDropsChanged = true;
    }
}

QStringList ListenerFeedback::changes(bool all)
{
    QStringList lines;
    // Not a structured binding: clang before 16 cannot capture one in a lambda.
    for (auto &server : m_servers) {
        const auto &name = server.first;
        auto &t = server.second;
        if (!t.changed && !all)
            continue;
        t.changed = false;
        using Fault = LogPacket::Fault;
        auto dropped = [&t](Fault f) {
            return t.dropped[std::size_t(f)];
        };
        qint64 droppedAll = 0;
        for (const qint64 d : t.dropped)
            droppedAll += d;
        QString line =
            QStringLiteral("%1: %2, %3 (%4 skipped by the parser), %5 refused (wrong "
                           "secret %6, no secret %7), %8 dropped (oversized %9, truncated %10, "
                           "binary %11, not a log packet %12)")
                .arg(name, Plural::counted(t.packets, QStringLiteral("packet")),
                     Plural::counted(t.lines, QStringLiteral("line")), number(t.skipped),
                     number(t.wrongSecret + t.missingSecret), number(t.wrongSecret),
                     number(t.missingSecret), number(droppedAll), number(dropped(Fault::Oversized)))
                .arg(number(dropped(Fault::Truncated)), number(dropped(Fault::Binary)),
                     number(dropped(Fault::NotLog)));
        if (t.notWritten > 0)
            line += QStringLiteral(", %1 lost: not written to the spool folder")
                        .arg(Plural::counted(t.notWritten, QStringLiteral("line")));
        if (t.belowFloor > 0)
            line += QStringLiteral(", %1 lost: dropped below the free-space floor of the "
                                   "spool folder's disk")
                        .arg(Plural::counted(t.belowFloor, QStringLiteral("line")));
        if (t.lastPacketMs > 0)
            line += QStringLiteral(", last packet ") + shownTime(t.lastPacketMs);
        lines << line;
    }
    auto refusedLine = [&lines](const QString &who, Refused &r, const QString &hint) {
        r.changed = false;
        lines << QStringLiteral("refused %1: %2 from a sender no --allow names%3, last "
                                "packet %4")
                     .arg(who, Plural::counted(r.packets, QStringLiteral("packet")), hint,
                          shownTime(r.lastPacketMs));
    };
    for (auto &[address, refused] : m_refused) {
        if (refused.changed || (all && refused.packets > 0))
            refusedLine(address, refused,
                        QStringLiteral(" (--allow %1 would accept it)")
                            .arg(QHostAddress(address).protocol() == QAbstractSocket::IPv6Protocol
                                     ? QLatin1Char('[') + address + QLatin1Char(']')
                                     : address));
    }
    if (m_refusedOthers.changed || (all && m_refusedOthers.packets > 0))
        refusedLine(QStringLiteral("other addresses"), m_refusedOthers, {});
    if (m_systemDropsChanged || (all && m_systemDrops > 0)) {
        m_systemDropsChanged = false;
        lines << QStringLiteral("%1 dropped by the system since the start: the receive "
                                "buffer was full")
                     .arg(Plural::counted(m_systemDrops, QStringLiteral("datagram")));
    }
    return lines;
}

QStringList ListenerFeedback::newlySilent(Clock::time_point now, Clock::duration silence)
{
    QStringList silent;
    for (auto &[name, t] : m_servers) {
        if (t.packets == 0)
            continue;
        if (now - t.lastSeen < silence) {
            t.silenceTold = false;
        } else if (!t.silenceTold) {
            t.silenceTold = true;
            silent << QStringLiteral("%1 has sent nothing for %2 (last packet %3)")
                          .arg(name, shownDuration(silence), shownTime(t.lastPacketMs));
        }
    }
    return silent;
}

bool ListenerFeedback::anythingReceived() const
{
    return !m_servers.empty() || !m_refused.empty() || m_refusedOthers.packets > 0;
}

qint64 ListenerFeedback::linesNotWritten() const
{
    qint64 lost = 0;
    for (const auto &[name, t] : m_servers)
        lost += t.notWritten + t.belowFloor;
    return lost;
}

QString ListenerFeedback::shownTime(qint64 msSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch)
        .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString ListenerFeedback::shownDuration(Clock::duration duration)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration).count();
    if (seconds % 60 == 0 && seconds > 0)
        return seconds == 60 ? QStringLiteral("1 minute")
                             : QStringLiteral("%1 minutes").arg(seconds / 60);
    return seconds == 1 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(seconds);
}
