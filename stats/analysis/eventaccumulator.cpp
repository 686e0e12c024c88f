#include "eventaccumulator.h"

#include "logparser.h"
#include "logtext.h"
#include "windows1252.h"

#include <array>

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

} // namespace

EventAccumulator::EventAccumulator(DataStats &store) : m_store(store) { }

bool EventAccumulator::load()
{
    const auto rows = m_store.players();
    if (!rows)
        return false;
    m_players.clear();
    m_byFoldedName.clear();
    m_touched.clear();
    m_rawNames.clear();
    m_rawIndex.clear();
    for (const DataStats::PlayerRow &row : *rows) {
        m_players.push_back(Player {row.rowId, row.nom, {}, false});
        // Of two rows whose names fold alike, the first one keeps receiving the counts.
        const QString key = row.nom.toCaseFolded();
        if (!m_byFoldedName.contains(key))
            m_byFoldedName.insert(key, int(m_players.size()) - 1);
    }
    return true;
}

int EventAccumulator::FindOrCreatePlayer(const QString &cleanedName)
{
    const QString key = cleanedName.toCaseFolded();
    if (const auto it = m_byFoldedName.constFind(key); it != m_byFoldedName.cend())
        return it.value();
    m_players.push_back(Player {0, cleanedName, {}, false});
    const int slot = int(m_players.size()) - 1;
    m_byFoldedName.insert(key, slot);
    counters(slot); // a new row is written even if nothing were raised
    return slot;
}

DataStats::Counters *EventAccumulator::counters(int slot)
{
    Player &player = m_players[std::size_t(slot)];
    if (!player.touched) {
        player.touched = true;
        m_touched.push_back(slot);
    }
    return &player.delta;
}

std::size_t EventAccumulator::rawSlot(QByteArrayView name)
{
    const std::string_view key(name.data(), std::size_t(name.size()));
    if (const auto it = m_rawIndex.find(key); it != m_rawIndex.end())
        return it->second;
    m_rawIndex.emplace(std::string(key), m_rawNames.size());
    m_rawNames.push_back(RawName {std::string(key), {}});
    return m_rawNames.size() - 1;
}

int EventAccumulator::weaponColumn(QByteArrayView weapon)
{
    for (const WeaponEntry &entry : weaponTable) {
        if (entry.weapon.size() == weapon.size() && entry.weapon.front() == weapon.front()
            && entry.weapon == weapon)
            return entry.column;
    }
    return -1;
}

template<typename Counters>
void EventAccumulator::apply(Counters *actor, Counters *victim, QByteArrayView weapon)
{
    if (actor) {
        if (weapon != QByteArrayView("Hostage")) {
            ++(*actor)[kills];
            ++(*actor)[score];
        }
        if (const int column = weaponColumn(weapon); column >= 0)
            ++(*actor)[std::size_t(counter(column))];
    }
    if (victim) {
        ++(*victim)[deaths];
        --(*victim)[score];
        if (weapon == QByteArrayView("suicide"))
            ++(*victim)[suicides];
    }
}

void EventAccumulator::AccumulateEvent(const LogEvent &event)
{
    // Both rows are looked up before either is raised, as a new actor's row comes first.
    const int actor = event.Actor.isEmpty() ? -1 : FindOrCreatePlayer(CleanPlayerName(event.Actor));
    const int victim =
        event.Victim.isEmpty() ? -1 : FindOrCreatePlayer(CleanPlayerName(event.Victim));
    apply(actor < 0 ? nullptr : counters(actor), victim < 0 ? nullptr : counters(victim),
          event.Weapon.toUtf8());
}

void EventAccumulator::accumulateRaw(const RawLogEvent &event)
{
    constexpr std::size_t none = std::size_t(-1);
    const std::size_t actor = event.Actor.isEmpty() ? none : rawSlot(event.Actor);
    const std::size_t victim = event.Victim.isEmpty() ? none : rawSlot(event.Victim);
    // Pointers only once both lookups are done: a new name may move the others.
    apply(actor == none ? nullptr : &m_rawNames[actor].delta,
          victim == none ? nullptr : &m_rawNames[victim].delta, event.Weapon);
}

void EventAccumulator::endFile(bool utf8)
{
    for (const RawName &raw : m_rawNames) {
        const QByteArrayView bytes(raw.bytes.data(), qsizetype(raw.bytes.size()));
        const QString name = utf8 ? QString::fromUtf8(bytes) : Windows1252::decode(bytes);
        DataStats::Counters *delta = counters(FindOrCreatePlayer(CleanPlayerName(name)));
        for (std::size_t i = 0; i < delta->size(); ++i)
            (*delta)[i] += raw.delta[i];
    }
    m_rawNames.clear();
    m_rawIndex.clear();
}

bool EventAccumulator::flush()
{
    for (const int slot : m_touched) {
        Player &player = m_players[std::size_t(slot)];
        if (player.rowId == 0) {
            const auto rowId = m_store.insertPlayer(player.nom, player.delta);
            if (!rowId)
                return false;
            player.rowId = *rowId;
        } else if (!m_store.addToPlayer(player.rowId, player.delta)) {
            return false;
        }
        player.delta = {};
        player.touched = false;
    }
    m_touched.clear();
    return true;
}
