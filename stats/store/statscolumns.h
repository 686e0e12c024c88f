// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <string_view>

/** The 33 columns of table Stats, in table order; the names are binding letter for letter. */
namespace StatsColumns {

inline constexpr std::array<std::string_view, 33> names = {
    "Place",        "Nom",          "Kills",         "Deaths",     "TotalClass",     "s1_1_usp",
    "s1_2_glock18", "s1_3_deagle",  "s1_4_p228",     "s1_5_elite", "s1_6_fiveseven", "p2_1_m3",
    "p2_2_xm1014",  "p3_1_mp5navy", "p3_2_tmp",      "p3_3_p90",   "p3_4_mac10",     "p3_5_ump45",
    "p4_1_ak47",    "p4_2_sg552",   "p4_3_m4a1",     "p4_4_aug",   "p4_5_scout",     "p4_6_awp",
    "p4_7_g3sg1",   "p4_8_sg550",   "p5_1_m249",     "Couteau",    "grenade",        "suicide",
    "Hostage",      "BombePosée",   "BombeDesamocée"};

inline constexpr int Place = 0;
inline constexpr int Nom = 1;
inline constexpr int Kills = 2;
inline constexpr int Deaths = 3;
inline constexpr int TotalClass = 4;
inline constexpr int FirstCounter = Kills;
inline constexpr int Count = int(names.size());
/// Counters are every column after Nom; a player's counters are indexed by column - FirstCounter.
inline constexpr int CounterCount = Count - FirstCounter;

/// Index of the column named \a name, matched without regard to ASCII letter case; -1 if none.
constexpr int indexOf(std::string_view name)
{
    for (int i = 0; i < Count; ++i) {
        const std::string_view c = names[std::size_t(i)];
        if (c.size() != name.size())
            continue;
        bool same = true;
        for (std::size_t k = 0; k < c.size() && same; ++k) {
            auto lower = [](char ch) {
                return ch >= 'A' && ch <= 'Z' ? char(ch + 32) : ch;
            };
            same = lower(c[k]) == lower(name[k]);
        }
        if (same)
            return i;
    }
    return -1;
}

/// Column \a c as the statements name it, quoted: every engine then takes it letter for letter.
inline QString quoted(int c)
{
    const std::string_view name = names[std::size_t(c)];
    return QLatin1Char('"') + QString::fromUtf8(name.data(), qsizetype(name.size()))
        + QLatin1Char('"');
}

/// The counter columns, quoted, in table order, each after \a prefix (an alias and a dot).
inline QStringList quotedCounters(const QString &prefix = {})
{
    QStringList columns;
    for (int c = FirstCounter; c < Count; ++c)
        columns << prefix + quoted(c);
    return columns;
}

} // namespace StatsColumns
