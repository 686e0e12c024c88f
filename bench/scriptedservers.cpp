// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/scriptedservers.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int batchSize = 64;

sockaddr_in loopback(quint16 port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

} // namespace

ScriptedServers::~ScriptedServers()
{
    for (const Server &server : m_servers) {
        if (server.socket >= 0)
            ::close(server.socket);
    }
}

bool ScriptedServers::add(const QString &path, const QByteArray &secret)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    Server server;
    server.lines = file.readAll().split('\n');
    if (!server.lines.isEmpty() && server.lines.last().isEmpty())
        server.lines.removeLast();
    qint64 end = 0;
    for (const QByteArray &line : std::as_const(server.lines)) {
        end += line.size() + 1;
        server.ends.push_back(end);
    }
    server.secret = secret;
    server.socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const sockaddr_in any = loopback(0);
    sockaddr_in bound {};
    socklen_t length = sizeof bound;
    if (server.socket < 0
        || ::bind(server.socket, reinterpret_cast<const sockaddr *>(&any), sizeof any) != 0
        || ::getsockname(server.socket, reinterpret_cast<sockaddr *>(&bound), &length) != 0) {
        m_error = QStringLiteral("cannot open a UDP socket: %1")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)));
        if (server.socket >= 0)
            ::close(server.socket);
        return false;
    }
    server.port = ntohs(bound.sin_port);
    m_servers.push_back(std::move(server));
    return true;
}

qint64 ScriptedServers::lines() const
{
    qint64 total = 0;
    for (const Server &server : m_servers)
        total += server.lines.size();
    return total;
}

qsizetype ScriptedServers::written(const Server &server) const
{
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(server.spoolFile).constData(), &status) != 0)
        return 0;
    return std::upper_bound(server.ends.cbegin(), server.ends.cend(), qint64(status.st_size))
        - server.ends.cbegin();
}

bool ScriptedServers::send(Server &server, qsizetype count)
{
    static const QByteArray header("\xff\xff\xff\xff", 4);
    QByteArray datagrams[batchSize];
    iovec vectors[batchSize];
    mmsghdr headers[batchSize];
    const sockaddr_in to = loopback(m_to);
    while (count > 0) {
        const int n = int(std::min<qsizetype>(count, batchSize));
        for (int i = 0; i < n; ++i) {
            const QByteArray &line = server.lines[server.sent + i];
            QByteArray &datagram = datagrams[i];
            datagram = header;
            if (server.secret.isEmpty())
                datagram += "log ";
            else
                datagram += 'S' + server.secret;
            datagram += line;
            datagram += '\n';
            datagram += '\0';
            vectors[i] = {datagram.data(), std::size_t(datagram.size())};
            headers[i] = {};
            headers[i].msg_hdr.msg_name = const_cast<sockaddr_in *>(&to);
            headers[i].msg_hdr.msg_namelen = sizeof to;
            headers[i].msg_hdr.msg_iov = &vectors[i];
            headers[i].msg_hdr.msg_iovlen = 1;
        }
        const int sent = ::sendmmsg(server.socket, headers, unsigned(n), 0);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            m_error =
                QStringLiteral("cannot send: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        server.sent += sent;
        count -= sent;
    }
    return true;
}

bool ScriptedServers::sendAllButLast(quint16 port, const QString &spoolFolder, int window,
                                     int stallSeconds)
{
    m_to = port;
    for (Server &server : m_servers) {
        server.spoolFile =
            spoolFolder + QStringLiteral("/L127.0.0.1_%1_000001.log").arg(server.port);
        server.sent = 0;
        server.held = 0;
    }
    QElapsedTimer stall;
    stall.start();
    while (true) {
        bool done = true;
        bool moved = false;
        for (Server &server : m_servers) {
            const qsizetype goal = server.lines.size() - 1;
            const qsizetype held = written(server);
            if (held < goal)
                done = false;
            const qsizetype room = std::min(goal - server.sent, window - (server.sent - held));
            if (room > 0) {
                if (!send(server, std::min<qsizetype>(room, batchSize)))
                    return false;
                moved = true;
            }
            if (held != server.held) {
                server.held = held;
                moved = true;
            }
        }
        if (done)
            return true;
        if (moved) {
            stall.restart();
            continue;
        }
        if (stall.elapsed() > stallSeconds * 1000) {
            m_error = QStringLiteral("the spool files stopped growing for %1 s").arg(stallSeconds);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
}

bool ScriptedServers::sendLast()
{
    for (Server &server : m_servers) {
        if (server.sent < server.lines.size() && !send(server, server.lines.size() - server.sent))
            return false;
    }
    return true;
}
