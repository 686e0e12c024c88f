#include "stats/cli/printcommand.h"

#include "stats/store/playernames.h"

#include <QTextStream>

#include <algorithm>
#include <array>

PrintCommand::PrintCommand()
    : Command(QStringLiteral("print"), {QStringLiteral("by"), QStringLiteral("db")})
{ }

int PrintCommand::execute(const TolvaneRequest &request, const CommandContext &context) const
{
    DataStats store;
    const QString path = database(request, context);
    if (const Result<> opened = store.open(path, DataStats::Access::ReadOnly); !opened)
        return failed(context, opened.reason());

    // The rows are written as they are read, whatever their number: the widths come first,
    // from the database's own extents of the numbers and one pass over the names alone.
    const Result<DataStats::Extents> extents = store.extents();
    if (!extents)
        return failed(context, extents.reason());
    std::array<qsizetype, StatsColumns::Count> widths {};
    auto widen = [&widths](int column, qint64 a, qint64 b) {
        auto &width = widths[std::size_t(column)];
        width = std::max({width, QString::number(a).size(), QString::number(b).size()});
    };
    for (int c = 0; c < StatsColumns::Count; ++c)
        widths[std::size_t(c)] = qsizetype(StatsColumns::names[std::size_t(c)].size());
    widen(StatsColumns::Place, extents->smallestPlace, extents->largestPlace);
    for (std::size_t i = 0; i < extents->smallest.size(); ++i)
        widen(StatsColumns::FirstCounter + int(i), extents->smallest[i], extents->largest[i]);
    const Result<> named = store.forEachName([&widths](const QString &nom) {
        auto &width = widths[StatsColumns::Nom];
        width = std::max(width, PlayerNames::visible(nom).size());
    });
    if (!named)
        return failed(context, named.reason());

    auto writeLine = [&context, &widths](auto cell) {
        QString line;
        for (int c = 0; c < StatsColumns::Count; ++c) {
            if (c > 0)
                line += QLatin1String("  ");
            const QString text = cell(c);
            line += c == StatsColumns::Nom ? text.leftJustified(widths[std::size_t(c)])
                                           : text.rightJustified(widths[std::size_t(c)]);
        }
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        context.out << line << "\n";
    };
    writeLine([](int c) {
        const std::string_view name = StatsColumns::names[std::size_t(c)];
        return QString::fromUtf8(name.data(), qsizetype(name.size()));
    });
    const Result<> printed =
        store.forEachRankingRow(request.order, [&writeLine](const DataStats::PlayerRow &row) {
            writeLine([&row](int c) {
                if (c == StatsColumns::Nom)
                    return PlayerNames::visible(row.nom);
                return QString::number(
                    c == StatsColumns::Place
                        ? row.place
                        : row.counters[std::size_t(c - StatsColumns::FirstCounter)]);
            });
        });
    if (!printed)
        return failed(context, printed.reason());
    return 0;
}
