// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/expectedstats.h"

#include <QString>

#include <algorithm>
#include <utility>

namespace {

int column(const char *name)
{
    const auto &names = ExpectedStats::columns();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (QByteArrayView(names[i]) == QByteArrayView(name))
            return int(i);
    }
    return -1;
}

const int Suicide = column("suicide");
const int Hostage = column("Hostage");
const int BombePosee = column("BombePosée");
const int BombeDesamocee = column("BombeDesamocée");

} // namespace

const std::array<const char *, ExpectedStats::CounterCount> &ExpectedStats::columns()
{
    static const std::array<const char *, CounterCount> names = {
        "Kills",         "Deaths",       "TotalClass", "s1_1_usp",       "s1_2_glock18",
        "s1_3_deagle",   "s1_4_p228",    "s1_5_elite", "s1_6_fiveseven", "p2_1_m3",
        "p2_2_xm1014",   "p3_1_mp5navy", "p3_2_tmp",   "p3_3_p90",       "p3_4_mac10",
        "p3_5_ump45",    "p4_1_ak47",    "p4_2_sg552", "p4_3_m4a1",      "p4_4_aug",
        "p4_5_scout",    "p4_6_awp",     "p4_7_g3sg1", "p4_8_sg550",     "p5_1_m249",
        "Couteau",       "grenade",      "suicide",    "Hostage",        "BombePosée",
        "BombeDesamocée"};
    return names;
}

int ExpectedStats::weaponColumn(QByteArrayView weapon)
{
    // Every other weapon word ("famas", "galil", "world") raises no column.
    static const std::pair<const char *, int> weapons[] = {
        {"usp", column("s1_1_usp")},         {"glock18", column("s1_2_glock18")},
        {"deagle", column("s1_3_deagle")},   {"p228", column("s1_4_p228")},
        {"elite", column("s1_5_elite")},     {"fiveseven", column("s1_6_fiveseven")},
        {"m3", column("p2_1_m3")},           {"xm1014", column("p2_2_xm1014")},
        {"mp5navy", column("p3_1_mp5navy")}, {"tmp", column("p3_2_tmp")},
        {"p90", column("p3_3_p90")},         {"mac10", column("p3_4_mac10")},
        {"ump45", column("p3_5_ump45")},     {"ak47", column("p4_1_ak47")},
        {"sg552", column("p4_2_sg552")},     {"m4a1", column("p4_3_m4a1")},
        {"aug", column("p4_4_aug")},         {"scout", column("p4_5_scout")},
        {"awp", column("p4_6_awp")},         {"g3sg1", column("p4_7_g3sg1")},
        {"sg550", column("p4_8_sg550")},     {"m249", column("p5_1_m249")},
        {"knife", column("Couteau")},        {"grenade", column("grenade")}};
    for (const auto &[word, index] : weapons) {
        if (weapon == QByteArrayView(word))
            return index;
    }
    return -1;
}

std::string ExpectedStats::folded(QByteArrayView name)
{
    if (std::any_of(name.begin(), name.end(), [](char c) { return c & 0x80; }))
        return QString::fromUtf8(name).toCaseFolded().toStdString();
    std::string key(name.data(), std::size_t(name.size()));
    for (char &c : key) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return key;
}

qsizetype ExpectedStats::indexOf(QByteArrayView name) const
{
    const auto it = m_index.find(folded(name));
    return it == m_index.end() ? -1 : it->second;
}

qsizetype ExpectedStats::findOrAdd(QByteArrayView name)
{
    const auto [it, added] = m_index.try_emplace(folded(name), qsizetype(m_rows.size()));
    if (added)
        m_rows.push_back(Row {name.toByteArray(), {}});
    return it->second;
}

void ExpectedStats::kill(QByteArrayView killer, QByteArrayView victim, QByteArrayView weapon)
{
    // Indices, not references: the victim's new row may move the killer's.
    const qsizetype k = findOrAdd(killer);
    const qsizetype v = findOrAdd(victim);
    Counters &a = m_rows[std::size_t(k)].counters;
    ++a[Kills];
    ++a[TotalClass];
    if (const int column = weaponColumn(weapon); column >= 0)
        ++a[std::size_t(column)];
    Counters &b = m_rows[std::size_t(v)].counters;
    ++b[Deaths];
    --b[TotalClass];
}

void ExpectedStats::suicide(QByteArrayView player)
{
    Counters &c = m_rows[std::size_t(findOrAdd(player))].counters;
    ++c[Deaths];
    --c[TotalClass];
    ++c[Suicide];
}

void ExpectedStats::planted(QByteArrayView player)
{
    Counters &c = m_rows[std::size_t(findOrAdd(player))].counters;
    ++c[Kills];
    ++c[TotalClass];
    ++c[BombePosee];
}

void ExpectedStats::defused(QByteArrayView player)
{
    Counters &c = m_rows[std::size_t(findOrAdd(player))].counters;
    ++c[Kills];
    ++c[TotalClass];
    ++c[BombeDesamocee];
}

void ExpectedStats::rescued(QByteArrayView player)
{
    ++m_rows[std::size_t(findOrAdd(player))].counters[Hostage];
}
