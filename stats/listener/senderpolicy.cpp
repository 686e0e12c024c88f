// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/listener/senderpolicy.h"

#include "stats/listener/logpacket.h"

#include <algorithm>

namespace {

bool sameAddress(const QHostAddress &a, const QHostAddress &b)
{
    return a.isEqual(b, QHostAddress::TolerantConversion);
}

} // namespace

Result<SenderPolicy::Entry> SenderPolicy::parseEntry(const QString &text)
{
    if (text.startsWith(QLatin1String(placeholder)))
        return Result<Entry>::failure(
            QStringLiteral("--allow %1: name each game server instead of this placeholder; for "
                           "the user service: systemctl --user edit tolvane-listen.service")
                .arg(text));
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    const QString sender = slash < 0 ? text : text.left(slash);
    Entry entry;
    if (slash >= 0) {
        entry.secret = text.mid(slash + 1).toLatin1();
        const bool digits = !entry.secret.isEmpty()
            && std::all_of(entry.secret.cbegin(), entry.secret.cend(),
                           [](char c) { return c >= '0' && c <= '9'; });
        if (!digits)
            return Result<Entry>::failure(
                QStringLiteral("--allow %1: the secret is the number set as sv_logsecret on the "
                               "game server, digits only")
                    .arg(text));
    }
    const Result<Endpoint> endpoint = Endpoint::parseSender(sender);
    if (!endpoint)
        return Result<Entry>::failure(
            QStringLiteral("--allow %1: %2").arg(text, endpoint.reason()));
    entry.sender = *endpoint;
    return entry;
}

Result<SenderPolicy> SenderPolicy::fromArguments(const QStringList &allowed)
{
    SenderPolicy policy;
    for (const QString &text : allowed) {
        const Result<Entry> entry = parseEntry(text);
        if (!entry)
            return Result<SenderPolicy>::failure(entry.failure());
        policy.m_entries.push_back(*entry);
    }
    return policy;
}

const SenderPolicy::Entry *SenderPolicy::find(const QHostAddress &address, quint16 port) const
{
    const Entry *anyPort = nullptr;
    for (const Entry &entry : m_entries) {
        if (!sameAddress(entry.sender.address, address))
            continue;
        if (entry.sender.port == port)
            return &entry;
        if (entry.sender.port == 0 && !anyPort)
            anyPort = &entry;
    }
    return anyPort;
}

SenderPolicy::Verdict SenderPolicy::check(const Entry *entry, const LogPacket &packet)
{
    if (!entry)
        return Verdict::UnknownSender;
    if (entry->secret.isEmpty())
        return Verdict::Accepted;
    if (packet.kind() != LogPacket::Kind::Keyed)
        return Verdict::MissingSecret;
    return packet.secret() == entry->secret ? Verdict::Accepted : Verdict::WrongSecret;
}

QStringList SenderPolicy::describe() const
{
    QStringList shown;
    for (const Entry &entry : m_entries) {
        shown << entry.sender.toString()
                + (entry.sender.port == 0 ? QStringLiteral(" (any port)") : QString())
                + (entry.secret.isEmpty() ? QString() : QStringLiteral(" with its secret"));
    }
    return shown;
}

QStringList SenderPolicy::loopbackWithoutSecret() const
{
    QStringList shown;
    for (const Entry &entry : m_entries) {
        if (entry.sender.address.isLoopback() && entry.secret.isEmpty())
            shown << entry.sender.toString();
    }
    return shown;
}
