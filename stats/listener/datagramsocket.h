// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"
#include "stats/listener/endpoint.h"

#include <QByteArrayView>

#include <array>
#include <functional>
#include <vector>

/**
 * A UDP socket of the system's own, for what QUdpSocket does not give: a receive buffer of
 * several MiB, the count of the datagrams the system dropped because that buffer was full
 * (SO_RXQ_OVFL), and many datagrams read with one call.
 *
 * Bound to every address, it takes IPv4 and IPv6 alike; senders' addresses are given in their
 * IPv6 form, IPv4 ones mapped (::ffff:192.0.2.7).
 */
class DatagramSocket
{
public:
    /// A sender as raw bytes, cheap to compare and hash for every datagram.
    struct Sender
    {
        std::array<quint8, 16> address {};
        quint16 port = 0;

        bool operator==(const Sender &) const = default;
        /// The address, an IPv4 one as such.
        QHostAddress hostAddress() const;
    };

    struct Datagram
    {
        QByteArrayView bytes;
        bool truncated = false; ///< longer than the bytes given
        Sender sender;
    };

    DatagramSocket() = default;
    ~DatagramSocket();
    DatagramSocket(const DatagramSocket &) = delete;
    DatagramSocket &operator=(const DatagramSocket &) = delete;

    /// Opens the socket on \a endpoint with a receive buffer of \a bufferBytes if the system
    /// allows that much; datagrams longer than \a largest are reported truncated.
    Result<> bind(const Endpoint &endpoint, int bufferBytes, qsizetype largest);
    void close();
    int descriptor() const { return m_fd; }
    /// Where it listens, the port chosen by the system included.
    Endpoint local() const { return m_local; }
    /// The receive buffer the system granted, in bytes.
    int bufferBytes() const { return m_bufferBytes; }

    /// Reads the datagrams waiting, at most \a most, without waiting for more, calling
    /// \a take for each; how many were read, or the reason reading failed.
    Result<int> receive(int most, const std::function<void(const Datagram &)> &take);
    /// Datagrams the system dropped since the socket was opened, as last reported.
    quint32 systemDrops() const { return m_drops; }

private:
    int m_fd = -1;
    Endpoint m_local;
    int m_bufferBytes = 0;
    quint32 m_drops = 0;
    qsizetype m_largest = 0;
    std::vector<char> m_bytes;
};

size_t qHash(const DatagramSocket::Sender &sender, size_t seed = 0);
