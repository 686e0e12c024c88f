// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/web/webserver.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <list>
#include <mutex>
#include <optional>
#include <thread>

#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Descriptors the process needs besides its connections: the database and its journal, the
// event loop's, the listening socket, the standard streams.
constexpr rlim_t ownFiles = 64;

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

/// The whole number in the environment variable \a name, \a fallback without one.
Result<int> environmentNumber(const char *name, int fallback, int lowest, int highest,
                              const QString &unit)
{
    const QByteArray text = qgetenv(name);
    if (text.isEmpty())
        return fallback;
    bool valid = false;
    const int value = text.trimmed().toInt(&valid);
    if (!valid || value < lowest || value > highest)
        return Result<int>::failure(QStringLiteral("%1 takes %2 from %3 to %4, not %5")
                                        .arg(QLatin1String(name), unit)
                                        .arg(lowest)
                                        .arg(highest)
                                        .arg(QString::fromLocal8Bit(text)));
    return value;
}

/// Where the host begins in a request target of the absolute form a proxy may send,
/// "http://host/path?query" (the scheme in any letter case, the path possibly empty), or 0 for
/// the usual "/path?query".
qsizetype absoluteFormHost(const QByteArray &target)
{
    for (const QByteArrayView scheme : {QByteArrayView("http://"), QByteArrayView("https://")}) {
        if (target.size() >= scheme.size()
            && target.first(scheme.size()).compare(scheme, Qt::CaseInsensitive) == 0)
            return scheme.size();
    }
    return 0;
}

/// How many connections the open-file limit leaves room for, raised first if it is lower than
/// \a wanted and the system allows more.
int connectionsAllowed(int wanted)
{
    rlimit files {};
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0)
        return wanted;
    const rlim_t needed = rlim_t(wanted) + ownFiles;
    if (files.rlim_cur != RLIM_INFINITY && files.rlim_cur < needed) {
        rlimit raised = files;
        raised.rlim_cur =
            files.rlim_max == RLIM_INFINITY ? needed : std::min(needed, files.rlim_max);
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            files = raised;
    }
    if (files.rlim_cur == RLIM_INFINITY || files.rlim_cur >= needed)
        return wanted;
    return int(std::max<rlim_t>(files.rlim_cur, ownFiles + 16) - ownFiles);
}

/**
 * Threads that answer requests, each through a Worker of its own made on it: a request waits in
 * a queue for the first thread free, and what it answers is handed to \a done on that thread.
 */
class WorkerPool
{
public:
    using Done = std::function<void(void *ticket, WebResponse response)>;

    /// Returns once every thread has made its Worker: the first requests do not wait for them.
    WorkerPool(int threads, const WebServer::WorkerMaker &make, Done done) : m_done(std::move(done))
    {
        for (int i = 0; i < threads; ++i)
            m_threads.emplace_back([this, make] { work(make); });
        std::unique_lock<std::mutex> locked(m_lock);
        m_wake.wait(locked, [this, threads] { return m_ready == threads; });
    }
    /// Waits for the requests being answered; those still waiting are dropped.
    ~WorkerPool()
    {
        {
            const std::lock_guard<std::mutex> locked(m_lock);
            m_stopping = true;
        }
        m_wake.notify_all();
        for (std::thread &thread : m_threads)
            thread.join();
    }
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;

    void post(void *ticket, WebRequest request)
    {
        {
            const std::lock_guard<std::mutex> locked(m_lock);
            m_jobs.emplace_back(ticket, std::move(request));
        }
        m_wake.notify_one();
    }

private:
    static constexpr std::chrono::seconds idleAfter {2};

    void work(const WebServer::WorkerMaker &make)
    {
        // Made, used and dropped on this thread alone: it may hold a database connection.
        const WebServer::Worker worker = make();
        std::unique_lock<std::mutex> locked(m_lock);
        ++m_ready;
        m_wake.notify_all();
        while (!m_stopping) {
            if (m_jobs.empty()) {
                const bool woken = m_wake.wait_for(
                    locked, idleAfter, [this] { return m_stopping || !m_jobs.empty(); });
                if (!woken && worker.idle) {
                    locked.unlock();
                    worker.idle();
                    locked.lock();
                }
                continue;
            }
            auto [ticket, request] = std::move(m_jobs.front());
            m_jobs.pop_front();
            locked.unlock();
            m_done(ticket, worker.handle(request));
            locked.lock();
        }
    }

    Done m_done;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::pair<void *, WebRequest>> m_jobs;
    bool m_stopping = false;
    int m_ready = 0;
    std::vector<std::thread> m_threads;
};

/// Queues \a response as the answer on \a connection.
MHD_Result queueResponse(MHD_Connection *connection, const WebResponse &response)
{
    // The body stays where it is until the library has sent it.
    auto *body = new QByteArray(response.body);
    MHD_Response *reply = MHD_create_response_from_buffer_with_free_callback_cls(
        std::size_t(body->size()), const_cast<char *>(body->constData()),
        [](void *sent) { delete static_cast<QByteArray *>(sent); }, body);
    if (!reply) {
        delete body;
        return MHD_NO;
    }
    for (const auto &[name, value] : response.headers)
        MHD_add_response_header(reply, name.constData(), value.constData());
    const MHD_Result queued = MHD_queue_response(connection, unsigned(response.status), reply);
    MHD_destroy_response(reply);
    return queued;
}

} // namespace

Result<WebServer::Limits> WebServer::Limits::fromEnvironment()
{
    Limits limits;
    std::optional<Failure> failed;
    // After a failure the rest keep their defaults: the first failure is the answer.
    auto read = [&failed](const char *name, int fallback, int lowest, int highest,
                          const QString &unit) {
        const Result<int> value = environmentNumber(name, fallback, lowest, highest, unit);
        if (!value && !failed)
            failed = value.failure();
        return value ? *value : fallback;
    };
    const int longestSeconds = int(longest.count());
    const QString seconds = QStringLiteral("a number of seconds");
    const QString connections = QStringLiteral("a number of connections");
    limits.request = std::chrono::seconds(read(
        "TOLVANE_SERVE_REQUEST_SECONDS", int(limits.request.count()), 1, longestSeconds, seconds));
    limits.idle = std::chrono::seconds(
        read("TOLVANE_SERVE_IDLE_SECONDS", int(limits.idle.count()), 1, longestSeconds, seconds));
    limits.connections =
        read("TOLVANE_SERVE_CONNECTIONS", limits.connections, 8, 1000000, connections);
    limits.perAddress =
        read("TOLVANE_SERVE_PER_ADDRESS", std::min(limits.perAddress, limits.connections), 1,
             limits.connections, connections);
    limits.threads =
        read("TOLVANE_SERVE_THREADS", limits.threads, 1, 64, QStringLiteral("a number of threads"));
    if (failed)
        return Result<Limits>::failure(*failed);
    return limits;
}

/**
 * The library's daemon, driven from the event loop: its epoll descriptor is watched for
 * events, and a timer wakes it for its time-outs and for the requests that are overdue. The
 * library closes idle connections, refuses oversized heads and keeps its connection caps; what
 * it has no option for is kept here: a request must be whole within a bound however slowly it
 * trickles in, and the connections that wait longest for a request make room for new ones.
 *
 * With threads of its own, a whole request is handed to them and its connection suspended until
 * the answer comes back to the event loop; everything else stays on the event loop's thread.
 */
class WebServer::Server
{
public:
    Server(Handler handler, Limits limits) : m_handler(std::move(handler)), m_limits(limits)
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { run(); });
    }

    Server(const WorkerMaker &make, Limits limits, FirstAnswer first) : Server(Handler(), limits)
    {
        m_first = std::move(first);
        m_answers = std::make_unique<QObject>();
        m_workers = std::make_unique<WorkerPool>(
            std::max(1, limits.threads), make, [this](void *ticket, WebResponse response) {
                QMetaObject::invokeMethod(
                    m_answers.get(),
                    [this, ticket, response = std::move(response)]() mutable {
                        answered(*static_cast<Peer *>(ticket), std::move(response));
                    },
                    Qt::QueuedConnection);
            });
    }

    ~Server()
    {
        // The answers still on their way are dropped with the object they are sent to.
        m_workers.reset();
        m_answers.reset();
        for (Peer &peer : m_answering) {
            if (peer.suspended) {
                peer.suspended = false;
                MHD_resume_connection(peer.connection);
            }
        }
        // Closes every connection, whose notices still reach the lists below.
        if (m_daemon)
            MHD_stop_daemon(m_daemon);
    }

    Result<quint16> listen(const QHostAddress &address, quint16 port);

private:
    enum class State { Waiting, Answering, Closing };
    struct Peer
    {
        MHD_Connection *connection = nullptr;
        MHD_socket socket = MHD_INVALID_SOCKET;
        State state = State::Waiting;
        bool headRead = false;
        bool answered = false;
        /// Its request is with the threads, its connection suspended until they answer.
        bool suspended = false;
        /// Their answer, to be queued when the library comes back to the connection.
        std::optional<WebResponse> reply;
        /// Since when it has waited for a request.
        Clock::time_point waitingSince;
        /// The request target as sent, before the library decodes it.
        QByteArray target;
        std::list<Peer>::iterator self;
    };

    static MHD_Result answer(void *cls, MHD_Connection *connection, const char *url,
                             const char *method, const char *version, const char *upload,
                             size_t *uploadSize, void **request);
    static void *requestStarted(void *cls, const char *uri, MHD_Connection *connection);
    static void requestCompleted(void *cls, MHD_Connection *connection, void **request,
                                 MHD_RequestTerminationCode why);
    static void connectionChanged(void *cls, MHD_Connection *connection, void **context,
                                  MHD_ConnectionNotificationCode change);
    static void log(void *cls, const char *format, va_list arguments);
    static Peer *peerOf(MHD_Connection *connection);

    std::list<Peer> &peers(State state)
    {
        return state == State::Waiting  ? m_waiting
            : state == State::Answering ? m_answering
                                        : m_closing;
    }
    void moveTo(Peer &peer, State state);
    /// Takes the threads' answer to \a peer's request.
    void answered(Peer &peer, WebResponse response);
    /// Closes \a peer's connection: the library sees the end of its stream and lets it go.
    void shut(Peer &peer);
    void run();

    Handler m_handler;
    Limits m_limits;
    /// Receives the threads' answers on the event loop's thread; none without threads.
    std::unique_ptr<QObject> m_answers;
    std::unique_ptr<WorkerPool> m_workers;
    FirstAnswer m_first;
    /// Connections beyond which the oldest waiting one is closed for each new one.
    std::size_t m_keepBelow = 0;
    // In the order they began to wait, the oldest first: the next to be overdue is the first.
    std::list<Peer> m_waiting;
    std::list<Peer> m_answering;
    std::list<Peer> m_closing;
    QTimer m_timer;
    std::unique_ptr<QSocketNotifier> m_events;
    QString m_lastMessage;
    MHD_Daemon *m_daemon = nullptr;
};

WebServer::Server::Peer *WebServer::Server::peerOf(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return info ? static_cast<Peer *>(info->socket_context) : nullptr;
}

void WebServer::Server::moveTo(Peer &peer, State state)
{
    std::list<Peer> &to = peers(state);
    to.splice(to.end(), peers(peer.state), peer.self);
    peer.state = state;
}

void WebServer::Server::shut(Peer &peer)
{
    ::shutdown(peer.socket, SHUT_RDWR);
    moveTo(peer, State::Closing);
}

void WebServer::Server::connectionChanged(void *cls, MHD_Connection *connection, void **context,
                                          MHD_ConnectionNotificationCode change)
{
    auto *server = static_cast<Server *>(cls);
    if (change == MHD_CONNECTION_NOTIFY_CLOSED) {
        if (auto *peer = static_cast<Peer *>(*context))
            server->peers(peer->state).erase(peer->self);
        *context = nullptr;
        return;
    }
    Peer &peer = server->m_waiting.emplace_back();
    peer.self = std::prev(server->m_waiting.end());
    peer.connection = connection;
    const MHD_ConnectionInfo *info =
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
    peer.socket = info ? info->connect_fd : MHD_INVALID_SOCKET;
    peer.waitingSince = Clock::now();
    *context = &peer;
    // Room for the clients to come: those that have sent nothing whole for the longest go.
    while (server->m_waiting.size() + server->m_answering.size() > server->m_keepBelow
           && &server->m_waiting.front() != &peer)
        server->shut(server->m_waiting.front());
}

void *WebServer::Server::requestStarted(void *, const char *uri, MHD_Connection *connection)
{
    Peer *peer = peerOf(connection);
    if (peer)
        peer->target = QByteArray(uri);
    return peer;
}

MHD_Result WebServer::Server::answer(void *cls, MHD_Connection *connection, const char *,
                                     const char *method, const char *, const char *,
                                     size_t *uploadSize, void **)
{
    auto *server = static_cast<Server *>(cls);
    Peer *peer = peerOf(connection);
    if (!peer)
        return MHD_NO;
    WebRequest asked;
    if (std::strcmp(method, MHD_HTTP_METHOD_GET) == 0)
        asked.method = WebRequest::Method::Get;
    else if (std::strcmp(method, MHD_HTTP_METHOD_HEAD) == 0)
        asked.method = WebRequest::Method::Head;
    else
        asked.method = WebRequest::Method::Other;
    if (!peer->headRead) {
        peer->headRead = true;
        if (peer->state == State::Waiting)
            server->moveTo(*peer, State::Answering);
        // A request without a body is answered at the next call, when it is complete: an
        // answer queued before then closes the connection, which a body nobody reads needs.
        const bool hasBody =
            MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH)
            || MHD_lookup_connection_value(connection, MHD_HEADER_KIND,
                                           MHD_HTTP_HEADER_TRANSFER_ENCODING);
        if (asked.method != WebRequest::Method::Other && !hasBody)
            return MHD_YES;
    }
    if (peer->answered) {
        *uploadSize = 0;
        return MHD_YES;
    }
    if (peer->reply) {
        peer->answered = true;
        const WebResponse reply = std::move(*peer->reply);
        peer->reply.reset();
        return queueResponse(connection, reply);
    }
    if (peer->suspended)
        return MHD_YES;

    QByteArray target = peer->target;
    if (const qsizetype host = absoluteFormHost(target); host > 0) {
        qsizetype end = host;
        while (end < target.size() && target.at(end) != '/' && target.at(end) != '?')
            ++end;
        target = target.mid(end);
        if (!target.startsWith('/'))
            target.prepend('/');
    }
    const qsizetype question = target.indexOf('?');
    asked.path = question < 0 ? target : target.left(question);
    asked.query = question < 0 ? QByteArray() : target.mid(question + 1);
    asked.acceptLanguage = QByteArray(
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_ACCEPT_LANGUAGE));
    asked.acceptEncoding = QByteArray(
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_ACCEPT_ENCODING));
    asked.ifNoneMatch = QByteArray(
        MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_IF_NONE_MATCH));
    if (server->m_workers) {
        if (server->m_first) {
            if (std::optional<WebResponse> ready = server->m_first(asked)) {
                peer->answered = true;
                return queueResponse(connection, *ready);
            }
        }
        // The library calls again once resumed, and the answer is queued then.
        peer->suspended = true;
        MHD_suspend_connection(connection);
        server->m_workers->post(peer, std::move(asked));
        return MHD_YES;
    }
    peer->answered = true;
    return queueResponse(connection, server->m_handler(asked));
}

void WebServer::Server::answered(Peer &peer, WebResponse response)
{
    peer.reply = std::move(response);
    peer.suspended = false;
    MHD_resume_connection(peer.connection);
    run();
}

void WebServer::Server::requestCompleted(void *cls, MHD_Connection *connection, void **,
                                         MHD_RequestTerminationCode)
{
    auto *server = static_cast<Server *>(cls);
    Peer *peer = peerOf(connection);
    if (!peer)
        return;
    peer->headRead = false;
    peer->answered = false;
    peer->target.clear();
    if (peer->state == State::Answering) {
        peer->waitingSince = Clock::now();
        server->moveTo(*peer, State::Waiting);
    }
}

void WebServer::Server::log(void *cls, const char *format, va_list arguments)
{
    // Kept for the reason of a failure to start; what clients cause is theirs, not the log's.
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    static_cast<Server *>(cls)->m_lastMessage = QString::fromLocal8Bit(text).trimmed();
}

void WebServer::Server::run()
{
    MHD_run(m_daemon);
    const Clock::time_point now = Clock::now();
    while (!m_waiting.empty() && m_waiting.front().waitingSince + m_limits.request <= now)
        shut(m_waiting.front());

    MHD_UNSIGNED_LONG_LONG wait = 0;
    qint64 next = std::chrono::milliseconds(Limits::longest).count();
    if (MHD_get_timeout(m_daemon, &wait) == MHD_YES)
        next = std::min<qint64>(next, qint64(wait));
    if (!m_waiting.empty())
        next = std::min<qint64>(next,
                                std::chrono::ceil<std::chrono::milliseconds>(
                                    m_waiting.front().waitingSince + m_limits.request - now)
                                    .count());
    m_timer.start(int(std::max<qint64>(next, 0)));
}

Result<quint16> WebServer::Server::listen(const QHostAddress &address, quint16 port)
{
    auto failed = [&](const QString &reason) {
        return Result<quint16>::failure(QStringLiteral("cannot listen on %1 port %2: %3")
                                            .arg(address.toString())
                                            .arg(port)
                                            .arg(reason));
    };
    const bool v6 = address.protocol() == QAbstractSocket::IPv6Protocol;
    sockaddr_storage where {};
    socklen_t length = 0;
    if (v6) {
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&where);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, &bytes, sizeof bytes);
        in6->sin6_scope_id = address.scopeId().toUInt();
        length = sizeof(sockaddr_in6);
    } else {
        auto *in4 = reinterpret_cast<sockaddr_in *>(&where);
        in4->sin_family = AF_INET;
        in4->sin_port = htons(port);
        in4->sin_addr.s_addr = htonl(address.toIPv4Address());
        length = sizeof(sockaddr_in);
    }
    const int socket =
        ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return failed(systemReason(errno));
    const int on = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (v6)
        ::setsockopt(socket, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
    if (::bind(socket, reinterpret_cast<const sockaddr *>(&where), length) != 0
        || ::listen(socket, SOMAXCONN) != 0
        || ::getsockname(socket, reinterpret_cast<sockaddr *>(&where), &length) != 0) {
        const int error = errno;
        ::close(socket);
        return failed(systemReason(error));
    }
    const quint16 taken = ntohs(v6 ? reinterpret_cast<const sockaddr_in6 *>(&where)->sin6_port
                                   : reinterpret_cast<const sockaddr_in *>(&where)->sin_port);

    const int connections = connectionsAllowed(m_limits.connections);
    const int perAddress = std::min(m_limits.perAddress, connections);
    // An eighth of the connections stays free for newcomers, for whom older waiting ones go.
    m_keepBelow = std::size_t(connections - std::max(1, connections / 8));
    const unsigned flags =
        MHD_USE_EPOLL | MHD_USE_ERROR_LOG | (m_workers ? MHD_ALLOW_SUSPEND_RESUME : 0);
    m_daemon = MHD_start_daemon(
        flags, 0, nullptr, nullptr, &Server::answer, this, MHD_OPTION_EXTERNAL_LOGGER, &Server::log,
        this, MHD_OPTION_LISTEN_SOCKET, MHD_socket(socket), MHD_OPTION_CONNECTION_MEMORY_LIMIT,
        std::size_t(headBytes), MHD_OPTION_CONNECTION_LIMIT, unsigned(connections),
        MHD_OPTION_PER_IP_CONNECTION_LIMIT, unsigned(perAddress), MHD_OPTION_CONNECTION_TIMEOUT,
        unsigned(m_limits.idle.count()), MHD_OPTION_NOTIFY_CONNECTION, &Server::connectionChanged,
        this, MHD_OPTION_NOTIFY_COMPLETED, &Server::requestCompleted, this,
        MHD_OPTION_URI_LOG_CALLBACK, &Server::requestStarted, this, MHD_OPTION_END);
    if (!m_daemon) {
        ::close(socket);
        return failed(m_lastMessage.isEmpty() ? QStringLiteral("the HTTP server did not start")
                                              : m_lastMessage);
    }
    const MHD_DaemonInfo *info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_EPOLL_FD);
    m_events = std::make_unique<QSocketNotifier>(info->epoll_fd, QSocketNotifier::Read);
    QObject::connect(m_events.get(), &QSocketNotifier::activated, [this] { run(); });
    run();
    return taken;
}

WebServer::WebServer(Handler handler, Limits limits)
    : m_server(std::make_unique<Server>(std::move(handler), limits))
{ }

WebServer::WebServer(WorkerMaker make, Limits limits, FirstAnswer first)
    : m_server(std::make_unique<Server>(make, limits, std::move(first)))
{ }

WebServer::~WebServer() = default;

Result<quint16> WebServer::listen(const QHostAddress &address, quint16 port)
{
    return m_server->listen(address, port);
}
