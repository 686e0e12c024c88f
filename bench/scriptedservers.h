// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

/**
 * Game servers played by the benchmark: each sends the lines of its log to a listener as UDP
 * datagrams from a socket of its own on the loopback, plain or keyed with a secret, as a
 * server does with "logaddress_add".
 *
 * UDP has no flow control, so they send as fast as the listener keeps up: each keeps at most a
 * window of datagrams that its spool file does not hold yet, which the system's receive buffer
 * can take without dropping any.
 */
class ScriptedServers
{
public:
    ScriptedServers() = default;
    ~ScriptedServers();
    ScriptedServers(const ScriptedServers &) = delete;
    ScriptedServers &operator=(const ScriptedServers &) = delete;

    /// A server that will send the lines of the log \a path, keyed with \a secret if not empty.
    bool add(const QString &path, const QByteArray &secret = {});
    quint16 port(int server) const { return m_servers[std::size_t(server)].port; }
    qint64 lines() const;
    QString errorString() const { return m_error; }

    /// Sends every line of every log but its last to UDP \a port, the servers taking turns, at
    /// most \a window datagrams of each ahead of its spool file in \a spoolFolder; returns when
    /// the spool files hold them all. False, with errorString(), on a failure or when a spool
    /// file stops growing for \a stallSeconds.
    bool sendAllButLast(quint16 port, const QString &spoolFolder, int window, int stallSeconds);
    /// Sends each log's last line.
    bool sendLast();

private:
    struct Server
    {
        QList<QByteArray> lines;
        std::vector<qint64> ends; // the spool file's size once it holds lines [0, i]
        QByteArray secret;
        int socket = -1;
        quint16 port = 0;
        qsizetype sent = 0;
        qsizetype held = 0; // lines its spool file held at the last look
        QString spoolFile;
    };

    bool send(Server &server, qsizetype count);
    qsizetype written(const Server &server) const;

    std::vector<Server> m_servers;
    quint16 m_to = 0;
    QString m_error;
};
