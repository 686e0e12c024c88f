// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"
#include "stats/listener/endpoint.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

class LogPacket;

/**
 * Which game servers may send their logs: the "--allow ADDRESS[:PORT][/SECRET]" entries. An
 * entry without a port admits every port of its address; an entry with a secret admits only
 * packets keyed with it ("sv_logsecret" on the server). Without any entry, nobody is accepted:
 * every user of the machine can send from the loopback, which is named like any other address.
 */
class SenderPolicy
{
public:
    enum class Verdict { Accepted, UnknownSender, WrongSecret, MissingSecret };

    struct Entry
    {
        Endpoint sender;
        QByteArray secret; ///< digits; empty when the entry asks for none
    };

    /// What the shipped service gives --allow until the operator names the game servers.
    static constexpr const char *placeholder = "GAME_SERVER_ADDRESS";

    /// Reads one "--allow" value.
    static Result<Entry> parseEntry(const QString &text);
    /// Reads every "--allow" value; fails on the first wrong one.
    static Result<SenderPolicy> fromArguments(const QStringList &allowed);

    bool isEmpty() const { return m_entries.empty(); }
    /// The entries that take any user of this machine for a game server: a loopback address
    /// without a secret, as the start-up message shows them.
    QStringList loopbackWithoutSecret() const;

    /// The entry admitting \a address and \a port (the one naming the port before the one
    /// without), or nullptr for an unknown sender.
    const Entry *find(const QHostAddress &address, quint16 port) const;
    /// Whether \a packet from the sender \a entry found is accepted.
    static Verdict check(const Entry *entry, const LogPacket &packet);

    /// The entries as the start-up message shows them.
    QStringList describe() const;

private:
    std::vector<Entry> m_entries;
};
