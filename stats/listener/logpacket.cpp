// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/listener/logpacket.h"

namespace {

constexpr QByteArrayView header("\xff\xff\xff\xff", 4);
constexpr QByteArrayView plainWord("log ");
// The time stamp of every line, 'd' standing for a digit.
constexpr QByteArrayView stampShape("L dd/dd/dddd - dd:dd:dd: ");

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

enum class Match { Yes, No, Short };

/// Whether \a bytes from \a at start with \a shape ('d' any digit); Short when they end first.
Match matches(QByteArrayView bytes, qsizetype at, QByteArrayView shape)
{
    for (qsizetype i = 0; i < shape.size(); ++i) {
        if (at + i >= bytes.size())
            return Match::Short;
        const char c = bytes[at + i];
        if (shape[i] == 'd' ? !isDigit(c) : c != shape[i])
            return Match::No;
    }
    return Match::Yes;
}

} // namespace

LogPacket LogPacket::invalid(Fault fault)
{
    LogPacket packet;
    packet.m_fault = fault;
    return packet;
}

LogPacket LogPacket::parse(QByteArrayView datagram, bool truncatedBySystem)
{
    if (truncatedBySystem || datagram.size() > maxSize)
        return invalid(Fault::Oversized);
    auto fault = [](Match match) {
        return match == Match::Short ? Fault::Truncated : Fault::NotLog;
    };

    if (const Match m = matches(datagram, 0, header); m != Match::Yes)
        return invalid(fault(m));
    LogPacket packet;
    qsizetype at = header.size();
    if (at < datagram.size() && datagram[at] == 'S') {
        const qsizetype digits = ++at;
        while (at < datagram.size() && isDigit(datagram[at]))
            ++at;
        if (at == datagram.size())
            return invalid(Fault::Truncated);
        if (at == digits)
            return invalid(Fault::NotLog);
        packet.m_kind = Kind::Keyed;
        packet.m_secret = datagram.sliced(digits, at - digits);
    } else {
        if (const Match m = matches(datagram, at, plainWord); m != Match::Yes)
            return invalid(fault(m));
        at += plainWord.size();
        packet.m_kind = Kind::Plain;
    }
    if (const Match m = matches(datagram, at, stampShape); m != Match::Yes)
        return invalid(fault(m));

    qsizetype end = datagram.size();
    while (end > at && datagram[end - 1] == '\0')
        --end;
    while (end > at && (datagram[end - 1] == '\n' || datagram[end - 1] == '\r'))
        --end;
    const QByteArrayView line = datagram.sliced(at, end - at);
    // A line break inside would put a second line, unchecked, into the spool file.
    for (const char c : line) {
        if (c == '\0' || c == '\n' || c == '\r')
            return invalid(Fault::Binary);
    }
    packet.m_fault = Fault::None;
    packet.m_line = line;
    return packet;
}
