#include "eventaccumulator.h"

#include "logparser.h"
#include "logtext.h"
#include "windows1252.h"

#include <array>
#include <cstring>

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

int EventAccumulator::FindOrCreatePlayer(const QString &cleanedName)
{
    QString key = cleanedName.toCaseFolded();
    if (const auto it = m_byFoldedName.constFind(key); it != m_byFoldedName.cend())
        return it.value();
    m_players.push_back(Player {cleanedName, key, {}, false});
    const int slot = int(m_players.size()) - 1;
    m_byFoldedName.insert(key, slot);
    counters(slot); // a new row is written even if nothing were raised
    return slot;
}

DataStats::Counters &EventAccumulator::counters(int slot)
{
    Player &player = m_players[std::size_t(slot)];
    if (!player.touched) {
        player.touched = true;
        m_touched.push_back(slot);
    }
    return player.delta;
}

void EventAccumulator::AccumulateEvent(const LogEvent &event)
{
    if (event.isEmpty())
        return;
    constexpr std::uint32_t none = ~std::uint32_t(0);
    // Both slots are taken before either is raised: a new name may move the others.
    const std::uint32_t actor = event.Actor.isEmpty() ? none : m_fileNames.slot(event.Actor);
    const std::uint32_t victim = event.Victim.isEmpty() ? none : m_fileNames.slot(event.Victim);
    if (m_fileCounts.size() < m_fileNames.size())
        m_fileCounts.resize(m_fileNames.size(), FileCounters {});
    const int column = weaponColumn(event.Weapon);
    if (actor != none) {
        FileCounters &a = m_fileCounts[actor];
        if (column != hostage) {
            ++a[kills];
            ++a[score];
        }
        if (column >= 0)
            ++a[std::size_t(counter(column))];
    }
    if (victim != none) {
        FileCounters &v = m_fileCounts[victim];
        ++v[deaths];
        --v[score];
        if (column < 0 && event.Weapon == QByteArrayView("suicide"))
            ++v[suicides];
    }
}

void EventAccumulator::endFile()
{
    for (std::uint32_t slot = 0; slot < m_fileNames.size(); ++slot) {
        const QByteArrayView bytes = m_fileNames.name(slot);
        const QString name = LogText::isValidUtf8(bytes) ? QString::fromUtf8(bytes)
                                                         : Windows1252::decode(bytes);
        DataStats::Counters &delta = counters(FindOrCreatePlayer(CleanPlayerName(name)));
        const FileCounters &counts = m_fileCounts[slot];
        for (std::size_t i = 0; i < delta.size(); ++i)
            delta[i] += counts[i];
    }
    m_fileNames.clear();
    m_fileCounts.clear();
}

bool EventAccumulator::flush(bool rankingFollows)
{
    std::vector<DataStats::PlayerDelta> pending;
    pending.reserve(m_touched.size());
    for (const int slot : m_touched) {
        Player &player = m_players[std::size_t(slot)];
        pending.push_back({player.nom, player.folded, player.delta});
        player.delta = {};
        player.touched = false;
    }
    m_touched.clear();
    return m_store.addToPlayers(pending, rankingFollows);
}
