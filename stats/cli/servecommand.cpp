// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/cli/servecommand.h"

#include "stats/store/datastats.h"
#include "stats/web/cachedsite.h"
#include "stats/web/changewatcher.h"
#include "stats/web/pagecache.h"
#include "stats/web/webserver.h"

#include <QCoreApplication>
#include <QTextStream>

ServeCommand::ServeCommand() : Command(QStringLiteral("serve"), {QStringLiteral("db")}) { }

int ServeCommand::execute(const TolvaneRequest &request, const CommandContext &context) const
{
    const Result<WebServer::Limits> limits = WebServer::Limits::fromEnvironment();
    if (!limits)
        return failed(context, limits.reason());
    const QString path = database(request, context);
    // A server started before the first update serves as soon as there is something to read.
    if (const Result<> opened = DataStats().open(path, DataStats::Access::ReadOnly); !opened)
        context.err << "tolvane: " << opened.reason()
                    << "; the pages answer 503 until it can be read\n";
    context.err.flush();
    PageCache pages;
    // Checked before every answer: no page kept from before a commit is sent after it.
    ChangeWatcher watcher(path, pages);
    watcher.check();
    WebServer server(
        [&path, &pages] {
            // Each thread reads through a connection of its own; after an update, the scan that
            // places players by kills is done between requests rather than by a player's page.
            auto site = std::make_shared<CachedSite>(path, pages);
            (void)site->open();
            site->readAhead();
            return WebServer::Worker {
                [site](const WebRequest &asked) { return site->handle(asked); },
                [site] {
                    site->readAhead();
                }};
        },
        *limits,
        [&watcher, &pages](const WebRequest &asked) {
            watcher.check();
            return CachedSite::fromCache(pages, asked);
        });
    const Result<quint16> listening = server.listen(request.serve.address, request.serve.port);
    if (!listening)
        return failed(context, listening.reason());
    context.out << "tolvane: serving the ranking of " << shownDatabase(path) << " at http://"
                << Endpoint {request.serve.address, *listening}.toString() << "/\n";
    context.out.flush();
    return QCoreApplication::exec();
}
