// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/analysis/eventaccumulator.h"

#include "platform/files/windows1252.h"
#include "stats/analysis/logparser.h"
#include "stats/analysis/logtext.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace {

struct WeaponEntry
{
    QByteArrayView weapon;
    int column;
};

constexpr WeaponEntry weapon(const char *word, std::string_view column)
{
    return {QByteArrayView(word), StatsColumns::indexOf(column)};
}

// Looked up in this order; the first equal word selects the column.
constexpr std::array<WeaponEntry, 27> weaponTable = {{
    weapon("ak47", "p4_1_ak47"),
    weapon("aug", "p4_4_aug"),
    weapon("awp", "p4_6_awp"),
    weapon("deagle", "s1_3_deagle"),
    weapon("elite", "s1_5_elite"),
    weapon("g3sg1", "p4_7_g3sg1"),
    weapon("glock18", "s1_2_glock18"),
    weapon("grenade", "grenade"),
    weapon("knife", "couteau"),
    weapon("m249", "p5_1_m249"),
    weapon("m3", "p2_1_m3"),
    weapon("m4a1", "p4_3_m4a1"),
    weapon("mp5navy", "p3_1_mp5navy"),
    weapon("p228", "s1_4_p228"),
    weapon("p90", "p3_3_p90"),
    weapon("scout", "p4_5_scout"),
    weapon("sg550", "p4_8_sg550"),
    weapon("sg552", "p4_2_sg552"),
    weapon("tmp", "p3_2_tmp"),
    weapon("ump45", "p3_5_ump45"),
    weapon("usp", "s1_1_usp"),
    weapon("xm1014", "p2_2_xm1014"),
    weapon("fiveseven", "s1_6_fiveseven"),
    weapon("mac10", "p3_4_mac10"),
    weapon("Hostage", "Hostage"),
    weapon("PoseBombe", "BombePosée"),
    weapon("DifuseBombe", "BombeDesamocée"),
}};

constexpr int counter(int column)
{
    return column - StatsColumns::FirstCounter;
}

constexpr std::size_t kills = counter(StatsColumns::Kills);
constexpr std::size_t deaths = counter(StatsColumns::Deaths);
constexpr std::size_t score = counter(StatsColumns::TotalClass);
constexpr std::size_t suicides = counter(StatsColumns::indexOf("suicide"));
// A rescue is the one event word whose column is not also a kill.
constexpr int hostage = StatsColumns::indexOf("Hostage");

// The words grouped by length, so that a look-up compares with the few words of its length.
constexpr std::size_t longestWord = 11;
struct WeaponsBySize
{
    std::array<std::array<WeaponEntry, 8>, longestWord + 1> words {};
    std::array<int, longestWord + 1> count {};
};

constexpr WeaponsBySize weaponsBySize()
{
    WeaponsBySize table;
    for (const WeaponEntry &entry : weaponTable) {
        const auto size = std::size_t(entry.weapon.size());
        table.words[size][std::size_t(table.count[size]++)] = entry;
    }
    return table;
}

constexpr WeaponsBySize bySize = weaponsBySize();

} // namespace

EventAccumulator::EventAccumulator(DataStats &store) : m_store(store) { }

int EventAccumulator::weaponColumn(QByteArrayView weapon)
{
    const auto size = std::size_t(weapon.size());
    if (size > longestWord)
        return -1;
    for (int i = 0; i < bySize.count[size]; ++i) {
        const WeaponEntry &entry = bySize.words[size][std::size_t(i)];
        if (std::memcmp(entry.weapon.data(), weapon.data(), size) == 0)
            return entry.column;
    }
    return -1;
}

int EventAccumulator::FindOrCreatePlayer(QByteArrayView cleanedName)
{
    // Most names are ASCII, whose case folding is its lower case: no detour through QString.
    const bool ascii = std::all_of(cleanedName.begin(), cleanedName.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        m_folded.resize(cleanedName.size());
        std::transform(cleanedName.begin(), cleanedName.end(), m_folded.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
    } else {
        m_folded = QString::fromUtf8(cleanedName).toCaseFolded().toUtf8();
    }
    const std::uint32_t slot = m_players.slot(m_folded);
    if (slot == m_counts.size()) {
        m_spelling.emplace_back(std::uint32_t(m_spellings.size()),
                                std::uint32_t(cleanedName.size()));
        m_spellings.append(cleanedName.data(), std::size_t(cleanedName.size()));
        m_counts.push_back(Counts {});
    }
    return int(slot);
}

bool EventAccumulator::add(int slot, const Counts &counts)
{
    Counts &total = m_counts[std::size_t(slot)];
    for (std::size_t i = 0; i < total.size(); ++i) {
        const qint64 sum = qint64(total[i]) + counts[i];
        if (sum > std::numeric_limits<qint32>::max() || sum < std::numeric_limits<qint32>::min())
            return false;
    }
    for (std::size_t i = 0; i < total.size(); ++i)
        total[i] += counts[i];
    return true;
}

void EventAccumulator::AccumulateEvent(const LogEvent &event)
{
    if (event.isEmpty())
        return;
    // No counter of a file can pass 32 bits before this many events: then they move on.
    if (++m_fileEvents == std::numeric_limits<qint32>::max())
        endFile();
    constexpr std::uint32_t none = ~std::uint32_t(0);
    // Both slots are taken before either is raised: a new name may move the others.
    const std::uint32_t actor = event.Actor.isEmpty() ? none : m_fileNames.slot(event.Actor);
    const std::uint32_t victim = event.Victim.isEmpty() ? none : m_fileNames.slot(event.Victim);
    if (m_fileCounts.size() < m_fileNames.size())
        m_fileCounts.resize(m_fileNames.size(), Counts {});
    const int column = weaponColumn(event.Weapon);
    if (actor != none) {
        Counts &a = m_fileCounts[actor];
        if (column != hostage) {
            ++a[kills];
            ++a[score];
        }
        if (column >= 0)
            ++a[std::size_t(counter(column))];
    }
    if (victim != none) {
        Counts &v = m_fileCounts[victim];
        ++v[deaths];
        --v[score];
        if (column < 0 && event.Weapon == QByteArrayView("suicide"))
            ++v[suicides];
    }
}

void EventAccumulator::endFile()
{
    m_players.reserve(m_players.size() + m_fileNames.size());
    m_counts.reserve(m_counts.size() + m_fileNames.size());
    QByteArray decoded;
    for (std::uint32_t slot = 0; slot < m_fileNames.size(); ++slot) {
        QByteArrayView name = m_fileNames.name(slot);
        if (!LogText::isValidUtf8(name)) {
            decoded = Windows1252::decode(name).toUtf8();
            name = decoded;
        }
        const QByteArrayView cleaned = CleanPlayerName(name);
        const Counts &counts = m_fileCounts[slot];
        if (!add(FindOrCreatePlayer(cleaned), counts)) {
            // A counter would leave 32 bits: what is pending goes to the store first.
            if (m_failure)
                m_failure = flush();
            add(FindOrCreatePlayer(cleaned), counts);
        }
    }
    m_fileNames.clear();
    std::vector<Counts>().swap(m_fileCounts);
    m_fileEvents = 0;
}

Result<> EventAccumulator::flush(bool rankingFollows)
{
    std::vector<DataStats::PlayerDelta> pending;
    pending.reserve(m_counts.size());
    for (std::uint32_t slot = 0; slot < m_counts.size(); ++slot) {
        const auto [offset, length] = m_spelling[slot];
        pending.push_back({QByteArrayView(m_spellings.data() + offset, length),
                           m_players.name(slot), &m_counts[slot]});
    }
    const Result<> written = m_failure ? m_store.addToPlayers(pending, rankingFollows) : m_failure;
    m_players.clear();
    std::string().swap(m_spellings);
    decltype(m_spelling)().swap(m_spelling);
    std::vector<Counts>().swap(m_counts);
    return written;
}
