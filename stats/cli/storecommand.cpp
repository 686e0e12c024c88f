#include "stats/cli/storecommand.h"

#include "stats/store/statspaths.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

StoreCommand::StoreCommand()
    : Command(QStringLiteral("store"),
              {QStringLiteral("logs"), QStringLiteral("db"), QStringLiteral("host")})
{ }

Result<> StoreCommand::check(const TolvaneRequest &request) const
{
    if (request.logFolder.isEmpty() && request.database.isEmpty() && request.host.isEmpty())
        return Result<>::failure(
            QStringLiteral("--store needs --logs DIR, --db FILE or --host ID"));
    return {};
}

int StoreCommand::execute(const TolvaneRequest &request, const CommandContext &context) const
{
    StatsPaths paths(context.settings);
    // Kept as absolute paths: a timer or a window starts in another folder.
    if (!request.logFolder.isEmpty()) {
        const QFileInfo folder(request.logFolder);
        if (!folder.isDir())
            return failed(context,
                          QStringLiteral("the log folder %1 does not exist")
                              .arg(QDir::toNativeSeparators(request.logFolder)));
        if (const Result<> stored = paths.setLogFolder(folder.absoluteFilePath()); !stored)
            return failed(context, stored.reason());
        context.out << "log folder: " << QDir::toNativeSeparators(folder.absoluteFilePath())
                    << "\n";
    }
    if (!request.database.isEmpty()) {
        // An address is kept as given (it holds no password: the command line refuses one).
        const bool address = DataStats::isAddress(request.database);
        const QString path =
            address ? request.database : QFileInfo(request.database).absoluteFilePath();
        if (const Result<> stored = paths.setDatabasePath(path); !stored)
            return failed(context, stored.reason());
        context.out << "database: " << (address ? path : QDir::toNativeSeparators(path)) << "\n";
    }
    if (!request.host.isEmpty()) {
        if (const Result<> stored =
                TolvaneSettings(context.settings)
                    .setValue(TolvaneSettings::Key::Host, request.host.trimmed());
            !stored)
            return failed(context, stored.reason());
        context.out << "host: " << request.host.trimmed() << "\n";
    }
    return 0;
}
