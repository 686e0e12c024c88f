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
 * packets keyed with it ("sv_logsecret" on the server). Without any entry, only senders on this
 * machine (loopback) are accepted.
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

    /// Reads one "--allow" value.
    static Result<Entry> parseEntry(const QString &text);
    /// Reads every "--allow" value; fails on the first wrong one.
    static Result<SenderPolicy> fromArguments(const QStringList &allowed);

    bool isLoopbackOnly() const { return m_entries.empty(); }

    /// The entry admitting \a address and \a port (the one naming the port before the one
    /// without), or nullptr for an unknown sender.
    const Entry *find(const QHostAddress &address, quint16 port) const;
    /// Whether \a packet from the sender \a entry found is accepted.
    static Verdict check(const Entry *entry, const LogPacket &packet);
    Verdict judge(const QHostAddress &address, quint16 port, const LogPacket &packet) const
    {
        return check(find(address, port), packet);
    }

    /// The entries as the start-up message shows them.
    QStringList describe() const;
    /// "unknown sender", "wrong secret", "no secret".
    static QString verdictText(Verdict verdict);

private:
    std::vector<Entry> m_entries;
};
