#include "eventaccumulator.h"

#include "logparser.h"

#include <array>

namespace {

struct WeaponEntry
{
    QByteArrayView weapon;
    std::string_view column;
};

// Looked up in this order; the first equal word selects the column.
constexpr std::array<WeaponEntry, 27> weaponTable = {{
    {"ak47", "p4_1_ak47"},
    {"aug", "p4_4_aug"},
    {"awp", "p4_6_awp"},
    {"deagle", "s1_3_deagle"},
    {"elite", "s1_5_elite"},
    {"g3sg1", "p4_7_g3sg1"},
    {"glock18", "s1_2_glock18"},
    {"grenade", "grenade"},
    {"knife", "couteau"},
    {"m249", "p5_1_m249"},
    {"m3", "p2_1_m3"},
    {"m4a1", "p4_3_m4a1"},
    {"mp5navy", "p3_1_mp5navy"},
    {"p228", "s1_4_p228"},
    {"p90", "p3_3_p90"},
    {"scout", "p4_5_scout"},
    {"sg550", "p4_8_sg550"},
    {"sg552", "p4_2_sg552"},
    {"tmp", "p3_2_tmp"},
    {"ump45", "p3_5_ump45"},
    {"usp", "s1_1_usp"},
    {"xm1014", "p2_2_xm1014"},
    {"fiveseven", "s1_6_fiveseven"},
    {"mac10", "p3_4_mac10"},
    {"Hostage", "Hostage"},
    {"PoseBombe", "BombePosée"},
    {"DifuseBombe", "BombeDesamocée"},
}};

constexpr int counter(int column)
{
    return column - StatsColumns::FirstCounter;
}

const int kills = counter(StatsColumns::Kills);
const int deaths = counter(StatsColumns::Deaths);
const int score = counter(StatsColumns::TotalClass);
const int suicides = counter(StatsColumns::indexOf("suicide"));

} // namespace

EventAccumulator::EventAccumulator(DataStats &store) : m_store(store) { }

bool EventAccumulator::load()
{
    const auto rows = m_store.players();
    if (!rows)
        return false;
    m_players.clear();
    m_byFoldedName.clear();
    m_rawNames.clear();
    m_touched.clear();
    for (const DataStats::PlayerRow &row : *rows) {
        m_players.append(Player {row.rowId, row.nom, {}, false});
        // Of two rows whose names fold alike, the first one keeps receiving the counts.
        const QString key = row.nom.toCaseFolded();
        if (!m_byFoldedName.contains(key))
            m_byFoldedName.insert(key, int(m_players.size() - 1));
    }
    return true;
}

int EventAccumulator::FindOrCreatePlayer(const QString &cleanedName)
{
    const QString key = cleanedName.toCaseFolded();
    if (const auto it = m_byFoldedName.constFind(key); it != m_byFoldedName.cend())
        return it.value();
    m_players.append(Player {0, cleanedName, {}, false});
    const int slot = int(m_players.size() - 1);
    m_byFoldedName.insert(key, slot);
    raise(slot, kills, 0);
    return slot;
}

void EventAccumulator::raise(int slot, int column, int by)
{
    Player &player = m_players[slot];
    player.delta[std::size_t(column)] += by;
    if (!player.touched) {
        player.touched = true;
        m_touched.append(slot);
    }
}

int EventAccumulator::weaponColumn(QByteArrayView weapon)
{
    for (const WeaponEntry &entry : weaponTable) {
        if (entry.weapon == weapon)
            return StatsColumns::indexOf(entry.column);
    }
    return -1;
}

void EventAccumulator::apply(int actorSlot, int victimSlot, QByteArrayView weapon)
{
    if (actorSlot >= 0) {
        if (weapon != QByteArrayView("Hostage")) {
            raise(actorSlot, kills);
            raise(actorSlot, score);
        }
        if (const int column = weaponColumn(weapon); column >= 0)
            raise(actorSlot, counter(column));
    }
    if (victimSlot >= 0) {
        raise(victimSlot, deaths);
        raise(victimSlot, score, -1);
        if (weapon == QByteArrayView("suicide"))
            raise(victimSlot, suicides);
    }
}

void EventAccumulator::AccumulateEvent(const LogEvent &event)
{
    const int actor = event.Actor.isEmpty() ? -1 : FindOrCreatePlayer(CleanPlayerName(event.Actor));
    const int victim =
        event.Victim.isEmpty() ? -1 : FindOrCreatePlayer(CleanPlayerName(event.Victim));
    const QByteArray weapon = event.Weapon.toUtf8();
    apply(actor, victim, weapon);
}

bool EventAccumulator::flush()
{
    for (const int slot : std::as_const(m_touched)) {
        Player &player = m_players[slot];
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
