#include "stats/web/webserver.h"

#include <QAbstractHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>

class WebServer::Server final : public QAbstractHttpServer
{
public:
    explicit Server(Handler handler) : m_handler(std::move(handler)) { }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        WebRequest asked;
        switch (request.method()) {
        case QHttpServerRequest::Method::Get:
            asked.method = WebRequest::Method::Get;
            break;
        case QHttpServerRequest::Method::Head:
            asked.method = WebRequest::Method::Head;
            break;
        default:
            asked.method = WebRequest::Method::Other;
        }
        const QUrl url = request.url();
        asked.path = url.path(QUrl::FullyEncoded).toLatin1();
        asked.query = url.query(QUrl::FullyEncoded).toLatin1();
        const WebResponse response = m_handler(asked);

        QHttpServerResponder responder = makeResponder(request, socket);
        responder.writeStatusLine(QHttpServerResponder::StatusCode(response.status));
        for (const auto &[name, value] : response.headers)
            responder.writeHeader(name, value);
        responder.writeHeader("Content-Length", QByteArray::number(response.body.size()));
        // A HEAD request gets the headers of the page alone.
        responder.writeBody(asked.method == WebRequest::Method::Head ? QByteArray()
                                                                     : response.body);
        return true;
    }

    void missingHandler(const QHttpServerRequest &, QTcpSocket *) override { }

private:
    Handler m_handler;
};

WebServer::WebServer(Handler handler) : m_server(std::make_unique<Server>(std::move(handler))) { }

WebServer::~WebServer() = default;

Result<quint16> WebServer::listen(const QHostAddress &address, quint16 port)
{
    auto *tcp = new QTcpServer(m_server.get());
    if (!tcp->listen(address, port)) {
        const QString reason = tcp->errorString();
        delete tcp;
        return Result<quint16>::failure(QStringLiteral("cannot listen on %1 port %2: %3")
                                            .arg(address.toString())
                                            .arg(port)
                                            .arg(reason));
    }
    m_server->bind(tcp);
    return tcp->serverPort();
}
