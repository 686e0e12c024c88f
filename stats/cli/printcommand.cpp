// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/cli/printcommand.h"

#include "stats/store/playernames.h"
#include "stats/web/statslabels.h"

#include <QTextStream>

#include <algorithm>
#include <array>

PrintCommand::PrintCommand()
    : Command(QStringLiteral("print"),
              {QStringLiteral("by"), QStringLiteral("wide"), QStringLiteral("db")})
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
    // By default what fits a terminal of lineWidth columns: the place, the name and the three
    // counters every player looks at; every counter with --wide.
    std::vector<int> columns;
    if (request.wide)
        for (int c = 0; c < StatsColumns::Count; ++c)
            columns.push_back(c);
    else
        columns = {StatsColumns::Place, StatsColumns::Nom, StatsColumns::Kills,
                   StatsColumns::Deaths, StatsColumns::TotalClass};
    std::array<qsizetype, StatsColumns::Count> widths {};
    auto widen = [&widths](int column, qint64 a, qint64 b) {
        auto &width = widths[std::size_t(column)];
        width = std::max({width, QString::number(a).size(), QString::number(b).size()});
    };
    // The headers are the keys of the JSON, in --wide, or the words a player knows.
    auto header = [&request](int c) {
        return request.wide ? StatsLabels::key(c)
                            : StatsLabels::label(c, StatsLabels::Language::English);
    };
    for (const int c : columns)
        widths[std::size_t(c)] = header(c).size();
    widen(StatsColumns::Place, extents->smallestPlace, extents->largestPlace);
    for (std::size_t i = 0; i < extents->smallest.size(); ++i)
        widen(StatsColumns::FirstCounter + int(i), extents->smallest[i], extents->largest[i]);
    const Result<> named = store.forEachName([&widths](const QString &nom) {
        auto &width = widths[StatsColumns::Nom];
        width = std::max(width, PlayerNames::visible(nom).size());
    });
    if (!named)
        return failed(context, named.reason());
    if (!request.wide) {
        qsizetype others = 0;
        for (const int c : columns)
            if (c != StatsColumns::Nom)
                others += widths[std::size_t(c)] + 2;
        // A long name is cut, with "…" at its end, rather than the line.
        widths[StatsColumns::Nom] = std::clamp<qsizetype>(
            lineWidth - others, header(StatsColumns::Nom).size(), widths[StatsColumns::Nom]);
    }

    auto writeLine = [&context, &widths, &columns](auto cell) {
        QString line;
        for (const int c : columns) {
            if (c != columns.front())
                line += QLatin1String("  ");
            const qsizetype width = widths[std::size_t(c)];
            QString text = cell(c);
            if (c == StatsColumns::Nom && text.size() > width)
                text = text.left(width - 1) + QChar(0x2026);
            line += c == StatsColumns::Nom ? text.leftJustified(width) : text.rightJustified(width);
        }
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        context.out << line << "\n";
    };
    writeLine(header);
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
