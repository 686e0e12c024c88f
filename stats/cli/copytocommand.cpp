#include "stats/cli/copytocommand.h"

#include "stats/store/postgresaddress.h"
#include "stats/store/statspaths.h"

#include <QTextStream>

CopyToCommand::CopyToCommand()
    : Command(QStringLiteral("copy-to"), {QStringLiteral("db"), QStringLiteral("host")})
{ }

Result<> CopyToCommand::check(const TolvaneRequest &request) const
{
    if (PostgresAddress::isPostgres(request.database))
        return Result<>::failure(
            QStringLiteral("--copy-to copies a database file, given with --db FILE"));
    return {};
}

int CopyToCommand::execute(const TolvaneRequest &request, const CommandContext &context) const
{
    StatsPaths paths(context.settings);
    DataStats source;
    source.setHost(request.host.isEmpty() ? paths.host() : request.host);
    if (const Result<> opened =
            source.open(database(request, context), DataStats::Access::ReadOnly);
        !opened)
        return failed(context, opened.reason());
    DataStats copy;
    if (const Result<> opened = copy.open(request.copyTo); !opened)
        return failed(context, opened.reason());
    // A machine that counts into the new database meanwhile waits for the copy.
    if (const Result<> locked = copy.lockWriter(UpdateRun::defaultWaitBound); !locked)
        return failed(context, locked.reason());
    // A host given names the machine for the copy as for every run; without one the records
    // keep the host the file's own runs counted under.
    const Result<DataStats::CopySummary> copied = copy.copyFrom(source, request.host.trimmed());
    copy.unlockWriter();
    if (!copied)
        return failed(context, copied.reason());
    QTextStream &out = context.out;
    out << "copied " << copied->rows << " players, " << copied->keys << " player keys and "
        << copied->progress << " log progress records from " << source.path() << " to "
        << copy.path() << "\n";
    // Runs on the copy find a log's progress only under the host it is stored under: a copy
    // under a name those runs do not give would count every unfinished log again.
    if (copied->progress > 0) {
        const QString hosts = copied->storedUnder.join(QLatin1String(", "));
        const bool one = copied->storedUnder.size() == 1;
        out << "the log progress records are stored under the host" << (one ? " " : "s ") << hosts;
        if (copied->recordedUnder != copied->storedUnder)
            out << " (counted under " << copied->recordedUnder.join(QLatin1String(", ")) << " in "
                << source.path() << ")";
        out << "\n";
        if (copied->storedUnder != QStringList {paths.host()})
            out << "the runs on " << copy.path() << " find them only when they count as "
                << (one ? "that host: give them --host " + hosts
                            + ", or keep it with tolvane --store --host " + hosts
                        : QStringLiteral("one of those hosts, with --host"))
                << "\n";
    }
    return 0;
}
