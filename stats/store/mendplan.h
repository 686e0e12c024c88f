// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <vector>

/**
 * How the rows of table Stats whose names fold alike are merged, worked out the same way for
 * every engine: each group of them goes into the row whose key is oldest (without any key, the
 * row stored first), counters summed; the keys of the rows that go, or that another key now
 * stands for, are removed, and a row kept without a key gets one. Rows are named by their
 * position in the table as it was read, which each engine maps to its own way of finding a row.
 */
struct MendPlan
{
    struct Merge
    {
        std::size_t from; ///< the row whose counts are added and which then goes
        std::size_t into; ///< the row kept
    };
    std::vector<Merge> merges;
    /// Keys to remove first, so that their folded names are free again.
    std::vector<qint64> goneKeys;
    /// Kept rows without a key, in table order, so that the new keys' ids follow the order the
    /// players were first seen.
    std::vector<std::size_t> newKeys;

    /// The plan for the rows spelled \a noms, in table order, whose keys are \a keyOfNom (the
    /// Nom of a row -> the id of its key).
    static MendPlan of(const QStringList &noms, const QHash<QString, qint64> &keyOfNom);
};
