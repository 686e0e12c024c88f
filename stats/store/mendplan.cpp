// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/mendplan.h"

#include <algorithm>

MendPlan MendPlan::of(const QStringList &noms, const QHash<QString, qint64> &keyOfNom)
{
    std::vector<std::vector<std::size_t>> groups; // each in table order: the first is the oldest
    QHash<QString, std::size_t> groupOf;
    for (qsizetype row = 0; row < noms.size(); ++row) {
        const QString folded = noms[row].toCaseFolded();
        const auto it = groupOf.constFind(folded);
        if (it == groupOf.cend()) {
            groupOf.insert(folded, groups.size());
            groups.push_back({std::size_t(row)});
        } else {
            groups[*it].push_back(std::size_t(row));
        }
    }

    MendPlan plan;
    QHash<QString, qint64> keptKeys; // Nom of each kept row -> its key, when it has one
    for (const std::vector<std::size_t> &group : groups) {
        std::size_t keeper = group.front();
        qint64 keeperKey = keyOfNom.value(noms[qsizetype(keeper)], 0);
        for (const std::size_t row : group) {
            const qint64 key = keyOfNom.value(noms[qsizetype(row)], 0);
            if (key != 0 && (keeperKey == 0 || key < keeperKey)) {
                keeper = row;
                keeperKey = key;
            }
        }
        for (const std::size_t row : group) {
            if (row != keeper)
                plan.merges.push_back({row, keeper});
        }
        if (keeperKey != 0)
            keptKeys.insert(noms[qsizetype(keeper)], keeperKey);
        else
            plan.newKeys.push_back(keeper);
    }
    for (auto it = keyOfNom.cbegin(); it != keyOfNom.cend(); ++it) {
        if (keptKeys.value(it.key(), 0) != it.value())
            plan.goneKeys.push_back(it.value());
    }
    std::sort(plan.goneKeys.begin(), plan.goneKeys.end());
    return plan;
}
