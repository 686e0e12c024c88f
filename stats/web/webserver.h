#pragma once

#include "platform/result/result.h"
#include "stats/web/webrequest.h"
#include "stats/web/webresponse.h"

#include <QHostAddress>

#include <functional>
#include <memory>

/**
 * Listens for HTTP requests and answers each with what the handler gives. The one place that
 * knows Qt's HTTP server, whose interface changes between Qt versions: everything else deals
 * in WebRequest and WebResponse.
 */
class WebServer
{
public:
    using Handler = std::function<WebResponse(const WebRequest &)>;

    explicit WebServer(Handler handler);
    ~WebServer();
    WebServer(const WebServer &) = delete;
    WebServer &operator=(const WebServer &) = delete;

    /// Listens on \a address and \a port (0: a free one); the port taken.
    Result<quint16> listen(const QHostAddress &address, quint16 port);

private:
    class Server;
    std::unique_ptr<Server> m_server;
};
