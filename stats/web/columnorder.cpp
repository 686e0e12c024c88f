// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/web/columnorder.h"

#include "stats/store/statscolumns.h"
#include "stats/web/statslabels.h"

#include <algorithm>

bool ColumnOrder::before(const Entry &a, const Entry &b)
{
    return a.value != b.value ? a.value > b.value : a.place < b.place;
}

Result<const std::vector<ColumnOrder::Entry> *> ColumnOrder::order(DataStats &store, int column)
{
    using Failure = Result<const std::vector<Entry> *>;
    const Result<QString> mark = store.changeMark();
    if (!mark)
        return Failure::failure(mark.failure());
    const auto kept = std::find_if(m_kept.begin(), m_kept.end(),
                                   [column](const Kept &k) { return k.column == column; });
    if (kept != m_kept.end() && kept->mark == *mark) {
        if (kept != m_kept.begin())
            std::rotate(m_kept.begin(), kept, kept + 1);
        return &m_kept.front().entries;
    }
    if (kept != m_kept.end())
        m_kept.erase(kept);
    // The oldest order goes first, so that two never stand in memory beside the kept ones.
    while (m_kept.size() >= keptOrders)
        m_kept.pop_back();

    Kept made;
    made.column = column;
    made.mark = *mark;
    const bool counter = column >= StatsColumns::FirstCounter && column < StatsColumns::Count;
    const Result<> read =
        store.forEachRanked(counter ? column : StatsColumns::Kills,
                            [&made, column, counter](const DataStats::RankedValues &row) {
                                qint64 value = 0;
                                if (counter)
                                    value = row.value;
                                else if (column == StatsLabels::KillsPerDeath)
                                    value = StatsLabels::killsPerDeath(row.kills, row.deaths);
                                made.entries.push_back({value, row.kills, row.place});
                            });
    if (!read)
        return Failure::failure(read.failure());
    std::sort(made.entries.begin(), made.entries.end(), before);
    made.entries.shrink_to_fit();
    m_kept.push_front(std::move(made));
    return &m_kept.front().entries;
}

ColumnOrder::Page ColumnOrder::page(const std::vector<Entry> &order,
                                    const DataStats::PageRequest &request,
                                    const std::function<bool(const Entry &)> &listed)
{
    using From = DataStats::PageRequest::From;
    const Entry key {request.key.kills, 0, request.key.place};
    const std::size_t size = std::size_t(std::max(1, request.size));
    auto anyListed = [&](auto from, auto to) {
        return std::any_of(from, to, listed);
    };
    Page page;
    if (request.from == From::First || request.from == From::After) {
        auto it = request.from == From::First
            ? order.begin()
            : std::upper_bound(order.begin(), order.end(), key, before);
        page.hasBefore = anyListed(order.begin(), it);
        for (; it != order.end() && page.places.size() < size; ++it)
            if (listed(*it))
                page.places.push_back(it->place);
        page.hasAfter = anyListed(it, order.end());
    } else {
        auto end = request.from == From::Last
            ? order.end()
            : std::lower_bound(order.begin(), order.end(), key, before);
        page.hasAfter = anyListed(end, order.end());
        auto it = end;
        while (it != order.begin() && page.places.size() < size) {
            --it;
            if (listed(*it))
                page.places.push_back(it->place);
        }
        std::reverse(page.places.begin(), page.places.end());
        page.hasBefore = anyListed(order.begin(), it);
    }
    return page;
}
