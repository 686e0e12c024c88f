// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"
#include "stats/store/datastats.h"

#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

/**
 * The ranked players in the order of one column, highest first and ties by place, for the pages
 * sorted by a counter that has no index (most of them) or listing only players with a least
 * number of kills. An order is built from one pass over the table when first asked after the
 * statistics changed, and kept for the few columns asked last: 24 bytes a ranked player and
 * column, at most keptOrders columns, so that counting keeps the speed of a table with just the
 * indexes it needs.
 */
class ColumnOrder
{
public:
    static constexpr std::size_t keptOrders = 2;

    struct Entry
    {
        qint64 value = 0; ///< the column's value; 0 for every player in the order by places
        qint64 kills = 0;
        qint64 place = 0;
    };
    /// An order shared while one thread still reads it: its first \a length entries are those of
    /// the whole order and no longer change; those past them are not to be touched until it is
    /// \a whole.
    struct Shared
    {
        std::shared_ptr<const std::vector<Entry>> entries;
        std::size_t length = 0;
        bool whole = false;
    };
    /// A page's places, in order, and whether the list goes on either way.
    struct Page
    {
        std::vector<qint64> places;
        bool hasBefore = false;
        bool hasAfter = false;
    };

    /// Whether \a a comes before \a b in an order: the higher value first, ties by place.
    static bool before(const Entry &a, const Entry &b);
    /// The order of \a column (StatsColumns::Place, a counter or StatsLabels::KillsPerDeath) as
    /// the statistics stand now; valid until the next call.
    Result<const std::vector<Entry> *> order(DataStats &store, int column);
    /// Forgets every order: the next ones are read from another connection.
    void clear() { m_kept.clear(); }

    /// The page of \a order that \a request asks for (its key: the value and the place), of the
    /// entries \a listed accepts.
    static Page page(const std::vector<Entry> &order, const DataStats::PageRequest &request,
                     const std::function<bool(const Entry &)> &listed);

private:
    struct Kept
    {
        int column = 0;
        QString mark;
        std::vector<Entry> entries;
    };
    std::deque<Kept> m_kept; ///< the column asked last first
};
