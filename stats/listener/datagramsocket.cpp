// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/listener/datagramsocket.h"

#include <QHashFunctions>

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int batchSize = 64;

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

DatagramSocket::Sender senderOf(const sockaddr_storage &from)
{
    DatagramSocket::Sender sender;
    if (from.ss_family == AF_INET6) {
        const auto &six = reinterpret_cast<const sockaddr_in6 &>(from);
        std::memcpy(sender.address.data(), &six.sin6_addr, 16);
        sender.port = ntohs(six.sin6_port);
    } else if (from.ss_family == AF_INET) {
        const auto &four = reinterpret_cast<const sockaddr_in &>(from);
        sender.address[10] = 0xff;
        sender.address[11] = 0xff;
        std::memcpy(sender.address.data() + 12, &four.sin_addr, 4);
        sender.port = ntohs(four.sin_port);
    }
    return sender;
}

} // namespace

QHostAddress DatagramSocket::Sender::hostAddress() const
{
    static constexpr quint8 mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (std::memcmp(address.data(), mapped, sizeof mapped) == 0) {
        return QHostAddress(quint32(address[12]) << 24 | quint32(address[13]) << 16
                            | quint32(address[14]) << 8 | quint32(address[15]));
    }
    return QHostAddress(address.data());
}

size_t qHash(const DatagramSocket::Sender &sender, size_t seed)
{
    return qHashBits(sender.address.data(), sender.address.size(), qHash(sender.port, seed));
}

DatagramSocket::~DatagramSocket()
{
    close();
}

void DatagramSocket::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

Result<> DatagramSocket::bind(const Endpoint &endpoint, int bufferBytes, qsizetype largest)
{
    close();
    const bool any = endpoint.address.isNull();
    const bool four = endpoint.address.protocol() == QAbstractSocket::IPv4Protocol;
    sockaddr_storage address {};
    socklen_t length = 0;
    auto useIPv4 = [&](quint32 host) {
        auto &in = reinterpret_cast<sockaddr_in &>(address);
        in.sin_family = AF_INET;
        in.sin_port = htons(endpoint.port);
        in.sin_addr.s_addr = htonl(host);
        length = sizeof in;
    };
    if (four) {
        m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        useIPv4(endpoint.address.toIPv4Address());
    } else {
        m_fd = ::socket(AF_INET6, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (m_fd < 0 && any) {
            // A system without IPv6 still listens on every IPv4 address.
            m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            useIPv4(INADDR_ANY);
        } else {
            auto &in6 = reinterpret_cast<sockaddr_in6 &>(address);
            in6.sin6_family = AF_INET6;
            in6.sin6_port = htons(endpoint.port);
            if (!any) {
                const Q_IPV6ADDR bytes = endpoint.address.toIPv6Address();
                std::memcpy(&in6.sin6_addr, bytes.c, 16);
                in6.sin6_scope_id = endpoint.address.scopeId().toUInt();
            }
            length = sizeof in6;
            const int only = any ? 0 : 1;
            if (m_fd >= 0)
                ::setsockopt(m_fd, IPPROTO_IPV6, IPV6_V6ONLY, &only, sizeof only);
        }
    }
    if (m_fd < 0)
        return Result<>::failure(systemError("cannot open a UDP socket"));

        // A burst of a busy server, or of several, while the listener writes: the system keeps it
        // for us. SO_RCVBUFFORCE goes past the system's limit where the process may.
#ifdef SO_RCVBUFFORCE
    if (::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUFFORCE, &bufferBytes, sizeof bufferBytes) != 0)
#endif
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &bufferBytes, sizeof bufferBytes);
    socklen_t size = sizeof m_bufferBytes;
    ::getsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &m_bufferBytes, &size);
#ifdef Q_OS_LINUX
    // Linux reports twice what it keeps for data, the other half being its bookkeeping.
    m_bufferBytes /= 2;
#endif
#ifdef SO_RXQ_OVFL
    const int on = 1;
    ::setsockopt(m_fd, SOL_SOCKET, SO_RXQ_OVFL, &on, sizeof on);
#endif

    if (::bind(m_fd, reinterpret_cast<const sockaddr *>(&address), length) != 0) {
        const QString reason = systemError("cannot listen");
        close();
        return Result<>::failure(QStringLiteral("%1 on UDP %2").arg(reason, endpoint.toString()));
    }
    sockaddr_storage bound {};
    socklen_t boundLength = sizeof bound;
    ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&bound), &boundLength);
    m_local = endpoint;
    m_local.port = senderOf(bound).port;
    m_largest = largest;
    m_bytes.assign(std::size_t(batchSize * (largest + 1)), 0);
    m_drops = 0;
    return {};
}

Result<int> DatagramSocket::receive(int most, const std::function<void(const Datagram &)> &take)
{
    constexpr std::size_t controlSize = CMSG_SPACE(sizeof(quint32));
    mmsghdr headers[batchSize];
    iovec vectors[batchSize];
    sockaddr_storage senders[batchSize];
    alignas(cmsghdr) char control[batchSize][controlSize];
    const auto slot = std::size_t(m_largest + 1);

    int read = 0;
    while (read < most) {
        const int wanted = std::min(batchSize, most - read);
        for (int i = 0; i < wanted; ++i) {
            vectors[i] = {m_bytes.data() + std::size_t(i) * slot, slot};
            headers[i] = {};
            headers[i].msg_hdr.msg_name = &senders[i];
            headers[i].msg_hdr.msg_namelen = sizeof senders[i];
            headers[i].msg_hdr.msg_iov = &vectors[i];
            headers[i].msg_hdr.msg_iovlen = 1;
            headers[i].msg_hdr.msg_control = control[i];
            headers[i].msg_hdr.msg_controllen = controlSize;
        }
        const int got = ::recvmmsg(m_fd, headers, unsigned(wanted), MSG_DONTWAIT, nullptr);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                break;
            return Result<int>::failure(systemError("cannot receive"));
        }
        for (int i = 0; i < got; ++i) {
            msghdr &message = headers[i].msg_hdr;
            for (cmsghdr *c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
#ifdef SO_RXQ_OVFL
                if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SO_RXQ_OVFL)
                    std::memcpy(&m_drops, CMSG_DATA(c), sizeof m_drops);
#endif
            }
            Datagram datagram;
            const auto length = std::min<std::size_t>(headers[i].msg_len, slot);
            datagram.bytes =
                QByteArrayView(m_bytes.data() + std::size_t(i) * slot, qsizetype(length));
            datagram.truncated = (message.msg_flags & MSG_TRUNC) != 0;
            datagram.sender = senderOf(senders[i]);
            take(datagram);
        }
        read += got;
        if (got < wanted)
            break;
    }
    return read;
}
