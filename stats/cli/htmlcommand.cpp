#include "stats/cli/htmlcommand.h"

#include "stats/web/staticexport.h"

#include <QDir>
#include <QTextStream>

HtmlCommand::HtmlCommand() : Command(QStringLiteral("html"), {QStringLiteral("db")}) { }

int HtmlCommand::execute(const TolvaneRequest &request, const CommandContext &context) const
{
    DataStats store;
    const QString path = database(request, context);
    if (const Result<> opened = store.open(path, DataStats::Access::ReadOnly); !opened)
        return failed(context, opened.reason());
    const Result<int> written = StaticExport(store).write(request.htmlFolder);
    if (!written)
        return failed(context, written.reason());
    context.out << *written << " files written to " << QDir::toNativeSeparators(request.htmlFolder)
                << "\n";
    return 0;
}
