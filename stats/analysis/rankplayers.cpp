// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/analysis/rankplayers.h"

#include "stats/store/datastats.h"

#include <utility>
#include <vector>

Result<> RankPlayers(DataStats &store)
{
    // The places are collected first and written after the scan, which reads an index that
    // holds them.
    std::vector<std::pair<qint64, qint64>> changed;
    qint64 place = 0;
    if (const Result<> scanned = store.forEachInRankOrder([&](qint64 rowId, qint64 stored) {
            if (stored != ++place)
                changed.emplace_back(rowId, place);
        });
        !scanned)
        return scanned;
    return store.setPlaces(std::move(changed));
}
