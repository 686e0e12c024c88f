// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <string>
#include <unordered_map>
#include <vector>

/**
 * What table Stats must hold after a set of logs is counted, tallied event by event as the
 * logs are written, independently of Tolvane's own code: one row per player, keyed by the name
 * case-folded, keeping the spelling seen first (UTF-8), with its 31 counters.
 *
 * Most benchmark names are plain ASCII letters and digits, whose folding is lowering the ASCII
 * letters; the accented, Greek and Cyrillic ones are folded by Qt's Unicode tables.
 */
class ExpectedStats
{
public:
    static constexpr int CounterCount = 31;
    using Counters = std::array<qint32, CounterCount>;

    /// The counter columns of table Stats, in table order (UTF-8).
    static const std::array<const char *, CounterCount> &columns();
    static constexpr int Kills = 0;
    static constexpr int Deaths = 1;
    static constexpr int TotalClass = 2;

    struct Row
    {
        QByteArray nom;
        Counters counters {};
    };

    void kill(QByteArrayView killer, QByteArrayView victim, QByteArrayView weapon);
    void suicide(QByteArrayView player);
    void planted(QByteArrayView player);
    void defused(QByteArrayView player);
    void rescued(QByteArrayView player);

    bool contains(QByteArrayView name) const { return indexOf(name) >= 0; }
    /// The row of the player named \a name in any letter case, or -1.
    qsizetype indexOf(QByteArrayView name) const;
    const Row &row(qsizetype index) const { return m_rows[std::size_t(index)]; }
    qsizetype rowCount() const { return qsizetype(m_rows.size()); }

    static std::string folded(QByteArrayView name);

private:
    qsizetype findOrAdd(QByteArrayView name);
    static int weaponColumn(QByteArrayView weapon);

    std::vector<Row> m_rows;
    std::unordered_map<std::string, qsizetype> m_index;
};
