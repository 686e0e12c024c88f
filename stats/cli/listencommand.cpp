#include "stats/cli/listencommand.h"

#include "stats/analysis/logparser.h"
#include "stats/analysis/logtext.h"
#include "stats/store/statspaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

ListenCommand::ListenCommand()
    : Command(QStringLiteral("listen"),
              {QStringLiteral("allow"), QStringLiteral("interval"), QStringLiteral("keep-free"),
               QStringLiteral("logs"), QStringLiteral("db"), QStringLiteral("host")})
{ }

Result<> ListenCommand::check(const TolvaneRequest &request) const
{
    // Any user of the machine can send from the loopback: nobody is taken for a game server
    // unless named.
    if (request.allow.isEmpty())
        return Result<>::failure(QStringLiteral(
            "--listen needs --allow ADDRESS[:PORT][/SECRET] to name each game server that may "
            "send its log; for one on this machine, --allow 127.0.0.1/SECRET with sv_logsecret "
            "SECRET on the game server"));
    return {};
}

int ListenCommand::execute(const TolvaneRequest &request, const CommandContext &context) const
{
    StatsPaths paths(context.settings);
    LogListener::Options options;
    options.listen = request.listen;
    options.policy = request.allow;
    options.spoolFolder =
        request.logFolder.isEmpty() ? LogListener::defaultSpoolFolder() : request.logFolder;
    options.program = QCoreApplication::applicationFilePath();
    // The address holds no password (the command line refuses one): a count finds it where
    // this process does, in PGPASSWORD, which it inherits, or in ~/.pgpass.
    if (!request.database.isEmpty())
        options.updateArguments << QStringLiteral("--db") << request.database;
    // Each machine's listener counts into a shared database under its own name.
    if (!request.host.isEmpty())
        options.updateArguments << QStringLiteral("--host") << request.host;
    options.database = shownDatabase(database(request, context));
    options.interval = request.interval;
    options.keepFreeMiB = request.keepFreeMiB;
    options.silence = LogListener::silenceFromEnvironment();
    // The listener reports what the update will make of each line, by the update's own rules.
    options.parses = [](QByteArrayView line) {
        return ParseLogLine(line).has_value();
    };
    options.closesLog = [](QByteArrayView line) {
        return LogText::endsClosed(line);
    };

    const QString stored = paths.logFolder();
    if (!stored.isEmpty()
        && QFileInfo(stored).absoluteFilePath()
            == QFileInfo(options.spoolFolder).absoluteFilePath()) {
        context.err << "tolvane: warning: " << QDir::toNativeSeparators(options.spoolFolder)
                    << " is also the stored log folder: if a game server writes its own logs "
                       "there, their lines are counted twice\n";
        context.err.flush();
    }
    LogListener listener(std::move(options), context.out, context.err);
    return listener.run();
}
