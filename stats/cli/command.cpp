#include "stats/cli/command.h"

#include "stats/store/postgresaddress.h"
#include "stats/store/statspaths.h"

#include <QDir>
#include <QTextStream>

Command::Command(QString name, QStringList options)
    : m_name(std::move(name)), m_options(std::move(options))
{ }

Result<> Command::check(const TolvaneRequest &) const
{
    return {};
}

int Command::failed(const CommandContext &context, const QString &reason, int status)
{
    context.err << "tolvane: " << reason << "\n";
    return status;
}

QString Command::database(const TolvaneRequest &request, const CommandContext &context)
{
    return request.database.isEmpty() ? StatsPaths(context.settings).databasePath()
                                      : request.database;
}

QString Command::shownDatabase(const QString &database)
{
    return DataStats::isAddress(database) ? PostgresAddress::withoutPassword(database)
                                          : QDir::toNativeSeparators(database);
}
