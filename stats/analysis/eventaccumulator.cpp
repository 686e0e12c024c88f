// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/analysis/eventaccumulator.h"

#include "platform/files/windows1252.h"
#include "stats/analysis/bytescan.h"
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

// The words grouped by length, so that a look-up compares with the few words of its length,
// each word as the two numbers ByteScan::packShort() makes of it.
constexpr std::size_t longestWord = 11;
struct WeaponsBySize
{
    struct Word
    {
        std::array<std::uint64_t, 2> packed;
        int column;
    };
    std::array<std::array<Word, 8>, longestWord + 1> words {};
    std::array<int, longestWord + 1> count {};
};

WeaponsBySize weaponsBySize()
{
    WeaponsBySize table;
    for (const WeaponEntry &entry : weaponTable) {
        const auto size = std::size_t(entry.weapon.size());
        table.words[size][std::size_t(table.count[size]++)] = {
            ByteScan::packShort(entry.weapon.data(), size), entry.column};
    }
    return table;
}

const WeaponsBySize bySize = weaponsBySize();

} // namespace

EventAccumulator::EventAccumulator(DataStats &store) : m_store(store) { }

int EventAccumulator::weaponColumn(QByteArrayView weapon)
{
    const auto size = std::size_t(weapon.size());
    if (size > longestWord)
        return -1;
    const std::array<std::uint64_t, 2> packed = ByteScan::packShort(weapon.data(), size);
    for (int i = 0; i < bySize.count[size]; ++i) {
        const WeaponsBySize::Word &word = bySize.words[size][std::size_t(i)];
        if (word.packed == packed)
            return word.column;
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
    if (slot == m_spelling.size()) {
        if ((slot >> blockBits) == m_counts.size())
            m_counts.push_back(std::make_unique<PlayerCounts[]>(1U << blockBits));
        m_spelling.emplace_back(std::uint32_t(m_spellings.size()),
                                std::uint32_t(cleanedName.size()));
        m_spellings.append(cleanedName.data(), std::size_t(cleanedName.size()));
    }
    return int(slot);
}

std::uint32_t EventAccumulator::playerOf(QByteArrayView written, std::uint64_t hash)
{
    if (const std::uint32_t *player = m_written.find(written, hash))
        return *player;
    QByteArrayView name = written;
    if (!LogText::isValidUtf8(name)) {
        m_decoded = Windows1252::decode(name).toUtf8();
        name = m_decoded;
    }
    const auto player = std::uint32_t(FindOrCreatePlayer(CleanPlayerName(name)));
    m_written.add(written, player);
    return player;
}

void EventAccumulator::AccumulateEvent(const LogEvent &event)
{
    if (event.isEmpty())
        return;
    // An event raises a counter by one at most, so that none can pass 32 bits before this many
    // events: then what is pending goes to the store first.
    // (A flush that failed before fails again, and empties the counters all the same.)
    if (++m_pendingEvents == std::numeric_limits<qint32>::max()) {
        m_failure = flush();
        m_pendingEvents = 1;
    }
    // The places of the names in the table are asked of memory now and looked at when the
    // next event comes: in between, memory catches up while the next line is parsed.
    Waiting &next = m_events[m_waiting ^ 1];
    auto keep = [this](QByteArray &copy, QByteArrayView name) {
        copy.resize(name.size());
        // An event without a victim (or a nameless actor) has a null view: nothing to copy,
        // and memcpy may not be handed a null pointer even for no bytes.
        if (!name.isEmpty())
            std::memcpy(copy.data(), name.data(), std::size_t(name.size()));
        const std::uint64_t hash = NameTable::hash(name);
        m_written.prefetch(hash);
        return hash;
    };
    next.actorHash = keep(next.actor, event.Actor);
    next.victimHash = keep(next.victim, event.Victim);
    next.column = weaponColumn(event.Weapon);
    next.suicide = next.column < 0 && event.Weapon == QByteArrayView("suicide");
    next.waits = true;
    countWaiting();
    m_waiting ^= 1;
}

namespace {

constexpr std::uint32_t none = ~std::uint32_t(0);

} // namespace

void EventAccumulator::countWaiting()
{
    Waiting &waiting = m_events[m_waiting];
    if (!waiting.waits)
        return;
    waiting.waits = false;
    count(waiting);
}

void EventAccumulator::countAll()
{
    countWaiting();
    if (m_found.waits) {
        m_found.waits = false;
        raise(m_found);
    }
}

void EventAccumulator::count(const Waiting &event)
{
    // Both slots are taken before either is raised: a new player may move the others.
    const std::uint32_t actor =
        event.actor.isEmpty() ? none : playerOf(event.actor, event.actorHash);
    const std::uint32_t victim =
        event.victim.isEmpty() ? none : playerOf(event.victim, event.victimHash);
    // The counters of a busy server's thousands of players are reached at random: they are
    // asked of memory now and raised one event later, as the names were.
    auto prefetch = [this](std::uint32_t player) {
        const char *counts = reinterpret_cast<const char *>(&countsOf(player));
        __builtin_prefetch(counts, 1);
        __builtin_prefetch(counts + 64, 1);
    };
    if (actor != none)
        prefetch(actor);
    if (victim != none)
        prefetch(victim);
    if (m_found.waits)
        raise(m_found);
    m_found = Found {actor, victim, event.column, event.suicide, true};
}

void EventAccumulator::raise(const Found &event)
{
    const std::uint32_t actor = event.actor;
    const std::uint32_t victim = event.victim;
    const int column = event.column;
    if (actor != none) {
        Counts &a = countsOf(actor);
        if (column != hostage) {
            ++a[kills];
            ++a[score];
        }
        if (column >= 0)
            ++a[std::size_t(counter(column))];
    }
    if (victim != none) {
        Counts &v = countsOf(victim);
        ++v[deaths];
        --v[score];
        if (event.suicide)
            ++v[suicides];
    }
}

void EventAccumulator::endFile()
{
    countAll();
    // A file of half a million new names is rarely followed by another: the memory goes back.
    constexpr std::uint32_t keptSpellings = 1 << 18;
    if (m_written.size() > keptSpellings)
        m_written.clear();
}

Result<> EventAccumulator::flush(bool rankingFollows)
{
    countAll();
    std::vector<DataStats::PlayerDelta> pending;
    pending.reserve(m_spelling.size());
    for (std::uint32_t slot = 0; slot < m_spelling.size(); ++slot) {
        const auto [offset, length] = m_spelling[slot];
        pending.push_back({QByteArrayView(m_spellings.data() + offset, length),
                           m_players.name(slot), &countsOf(slot)});
    }
    // The spellings point at slots that are about to go; their memory is better given back
    // before the store's own is taken.
    m_written.clear();
    const Result<> written = m_failure ? m_store.addToPlayers(pending, rankingFollows) : m_failure;
    m_pendingEvents = 0;
    m_players.clear();
    std::string().swap(m_spellings);
    decltype(m_spelling)().swap(m_spelling);
    decltype(m_counts)().swap(m_counts);
    return written;
}
