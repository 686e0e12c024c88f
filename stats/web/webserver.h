// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"
#include "stats/web/webrequest.h"
#include "stats/web/webresponse.h"

#include <QHostAddress>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

/**
 * Listens for HTTP requests and answers each with what the handler gives, on the thread that
 * runs the event loop or on a few threads of its own. The one place that knows the HTTP library
 * (libmicrohttpd): everything else deals in WebRequest and WebResponse.
 *
 * A public server meets clients that would starve it, so no client gets more than its share:
 * a request line and headers beyond what headBytes holds are answered 414 or 431 (a malformed
 * one 400) and the connection closed; a connection is closed when its request is not whole
 * within Limits::request or when it stays silent for Limits::idle, kept alive or stalled;
 * HTTP/1.0 and "Connection: close" close after the answer; at most Limits::perAddress
 * connections come from one address, and when Limits::connections are nearly all taken, those
 * that have waited longest for a request are closed to make room for new clients.
 */
class WebServer
{
public:
    using Handler = std::function<WebResponse(const WebRequest &)>;
    /// What answers on one thread of its own: every request given to that thread and, when it
    /// has waited a while for one, a chance to read ahead.
    struct Worker
    {
        Handler handle;
        std::function<void()> idle;
    };
    /// Makes a thread's Worker, on that thread, which it is dropped on too.
    using WorkerMaker = std::function<Worker()>;

    /// What one client may take of the server.
    struct Limits
    {
        static constexpr std::chrono::seconds longest {60};

        /// To send a whole request, from the connection's opening or the end of the last answer.
        std::chrono::seconds request {20};
        /// Of silence on a connection: kept alive between requests, or stalled.
        std::chrono::seconds idle {10};
        /// Open at once; fewer where the process may open fewer files.
        int connections = 1000;
        /// Open at once from one address.
        int perAddress = 32;
        /// Of a server with threads of its own: how many answer at once.
        int threads = 4;

        /// The defaults, as TOLVANE_SERVE_REQUEST_SECONDS, TOLVANE_SERVE_IDLE_SECONDS,
        /// TOLVANE_SERVE_CONNECTIONS, TOLVANE_SERVE_PER_ADDRESS and TOLVANE_SERVE_THREADS change
        /// them; or why not.
        static Result<Limits> fromEnvironment();
    };
    /// The memory of one connection, which bounds its request line and headers (to about
    /// 15 KiB: the rest holds the head of the answer).
    static constexpr int headBytes = 16 * 1024;

    /// Answers through \a handler on the thread that runs the event loop.
    WebServer(Handler handler, Limits limits);
    /// What the event loop's thread answers itself, before a request goes to the threads: an
    /// answer at hand, such as a page kept already; nothing hands the request on.
    using FirstAnswer = std::function<std::optional<WebResponse>(const WebRequest &)>;
    /// Answers on Limits::threads threads of its own, each through the Worker \a make gives it;
    /// the event loop's thread only reads the requests, asks \a first about each, hands the
    /// others to the threads, and sends the answers.
    WebServer(WorkerMaker make, Limits limits, FirstAnswer first = {});
    ~WebServer();
    WebServer(const WebServer &) = delete;
    WebServer &operator=(const WebServer &) = delete;

    /// Listens on \a address and \a port (0: a free one); the port taken.
    Result<quint16> listen(const QHostAddress &address, quint16 port);

private:
    class Server;
    std::unique_ptr<Server> m_server;
};
