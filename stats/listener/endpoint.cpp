// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/listener/endpoint.h"

#include <algorithm>

namespace {

Result<quint16> parsePort(const QString &text, bool zeroAllowed)
{
    bool valid = false;
    const uint port = text.toUInt(&valid);
    if (!valid || port > 65535 || (port == 0 && !zeroAllowed))
        return Result<quint16>::failure(
            QStringLiteral("%1 is not a port number (1 to 65535)").arg(text));
    return quint16(port);
}

Result<QHostAddress> parseAddress(const QString &text)
{
    QHostAddress address;
    // Names are refused: a game server is allowed by the address its packets come from.
    if (!address.setAddress(text) || address.isNull())
        return Result<QHostAddress>::failure(
            QStringLiteral("%1 is not an IP address (such as 192.0.2.7 or [2001:db8::7])")
                .arg(text));
    return address;
}

/// "ADDRESS", "ADDRESS:PORT", "[IPv6]", "[IPv6]:PORT" or a bare IPv6 address.
Result<Endpoint> parseAddressAndPort(const QString &text, bool portRequired)
{
    QString host = text;
    QString port;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            return Result<Endpoint>::failure(QStringLiteral("%1 lacks its \"]\"").arg(text));
        host = text.mid(1, close - 1);
        const QString rest = text.mid(close + 1);
        if (rest.startsWith(QLatin1Char(':'))) {
            port = rest.mid(1);
            if (port.isEmpty())
                return Result<Endpoint>::failure(QStringLiteral("%1 lacks its port").arg(text));
        } else if (!rest.isEmpty()) {
            return Result<Endpoint>::failure(
                QStringLiteral("%1: a port follows the \"]\" after a colon").arg(text));
        }
    } else if (text.count(QLatin1Char(':')) == 1) {
        host = text.section(QLatin1Char(':'), 0, 0);
        port = text.section(QLatin1Char(':'), 1);
        if (port.isEmpty())
            return Result<Endpoint>::failure(QStringLiteral("%1 lacks its port").arg(text));
    }
    Endpoint endpoint;
    const Result<QHostAddress> address = parseAddress(host);
    if (!address)
        return Result<Endpoint>::failure(address.failure());
    endpoint.address = *address;
    if (port.isEmpty()) {
        if (portRequired)
            return Result<Endpoint>::failure(QStringLiteral("%1 lacks its port").arg(text));
        return endpoint;
    }
    const Result<quint16> number = parsePort(port, portRequired);
    if (!number)
        return Result<Endpoint>::failure(number.failure());
    endpoint.port = *number;
    return endpoint;
}

} // namespace

Result<Endpoint> Endpoint::parseListen(const QString &text)
{
    if (!text.contains(QLatin1Char(':'))) {
        // "27500" would pass for an IPv4 address too.
        const bool number = !text.isEmpty()
            && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
        if (!number && !QHostAddress(text).isNull())
            return Result<Endpoint>::failure(
                QStringLiteral("%1 lacks its port (ADDRESS:PORT)").arg(text));
        const Result<quint16> port = parsePort(text, true);
        if (!port)
            return Result<Endpoint>::failure(port.failure());
        Endpoint endpoint;
        endpoint.port = *port;
        return endpoint;
    }
    return parseAddressAndPort(text, true);
}

Result<Endpoint> Endpoint::parseSender(const QString &text)
{
    return parseAddressAndPort(text, false);
}

QString Endpoint::toString() const
{
    QString host = address.isNull() ? QStringLiteral("*") : address.toString();
    if (address.protocol() == QAbstractSocket::IPv6Protocol && port != 0)
        host = QLatin1Char('[') + host + QLatin1Char(']');
    return port == 0 ? host : host + QLatin1Char(':') + QString::number(port);
}
