#include "stats/cli/servecommand.h"

#include "stats/web/rankingsite.h"
#include "stats/web/webserver.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

ServeCommand::ServeCommand() : Command(QStringLiteral("serve"), {QStringLiteral("db")}) { }

int ServeCommand::execute(const TolvaneRequest &request, const CommandContext &context) const
{
    const Result<WebServer::Limits> limits = WebServer::Limits::fromEnvironment();
    if (!limits)
        return failed(context, limits.reason());
    const QString path = database(request, context);
    RankingSite site(path);
    // A server started before the first update serves as soon as there is something to read.
    if (const Result<> opened = site.open(); !opened)
        context.err << "tolvane: " << opened.reason()
                    << "; the pages answer 503 until it can be read\n";
    context.err.flush();
    WebServer server([&site](const WebRequest &asked) { return site.handle(asked); }, *limits);
    // After an update, the scan that places players by kills is done here, between requests,
    // rather than by the first player's page.
    QTimer readAhead;
    QObject::connect(&readAhead, &QTimer::timeout, [&site] { site.readAhead(); });
    readAhead.start(std::chrono::seconds(2));
    const Result<quint16> listening = server.listen(request.serve.address, request.serve.port);
    if (!listening)
        return failed(context, listening.reason());
    context.out << "tolvane: serving the ranking of " << shownDatabase(path) << " at http://"
                << Endpoint {request.serve.address, *listening}.toString() << "/\n";
    context.out.flush();
    return QCoreApplication::exec();
}
