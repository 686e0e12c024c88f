#pragma once

#include "datastats.h"
#include "logevent.h"
#include "logparser.h"

#include <QHash>
#include <QList>
#include <QString>

#include <string>
#include <string_view>
#include <unordered_map>

/**
 * Applies events to the player rows: finds or creates the rows of the actor and the victim and
 * raises their counters and score.
 *
 * The rows are held in memory while a file is counted and written to the store by flush(),
 * which the update run calls inside the file's transaction: a file's counts reach the database
 * together or not at all, and a million lines cost a few thousand row writes instead of
 * millions of queries. Names are looked up case-folded, so that "Blah", "BLAH" and "blah" -- in
 * any alphabet -- share the row created first, which keeps its own spelling.
 */
class EventAccumulator
{
public:
    explicit EventAccumulator(DataStats &store);

    /// Reads the existing rows; false (see the store's error) when they cannot be read.
    bool load();

    void AccumulateEvent(const LogEvent &event);
    /// The same for a raw event of a file whose names are decoded by \a decode.
    template<typename Decode>
    void accumulateRaw(const RawLogEvent &event, Decode &&decode);

    /// The slot of the player named \a cleanedName, created when new.
    int FindOrCreatePlayer(const QString &cleanedName);

    /// Writes every pending change (new rows first seen first); the caller owns the transaction
    /// and, should it fail, discards this accumulator with it.
    bool flush();
    /// Forgets the raw-name cache: the next file may decode the same bytes differently.
    void forgetRawNames() { m_rawNames.clear(); }

    /// Column raised for a weapon word (exact, case-sensitive), or -1.
    static int weaponColumn(QByteArrayView weapon);

    int playerCount() const { return int(m_players.size()); }

private:
    struct Player
    {
        qint64 rowId = 0; // 0 until the row exists in the store
        QString nom;
        DataStats::Counters delta {};
        bool touched = false;
    };

    struct RawHash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept
        {
            return std::hash<std::string_view> {}(s);
        }
    };

    void raise(int slot, int column, int by = 1);
    void apply(int actorSlot, int victimSlot, QByteArrayView weapon);
    template<typename Decode>
    int rawSlot(QByteArrayView rawName, Decode &decode);

    DataStats &m_store;
    QList<Player> m_players;
    QList<int> m_touched;
    QHash<QString, int> m_byFoldedName;
    std::unordered_map<std::string, int, RawHash, std::equal_to<>> m_rawNames;
};

template<typename Decode>
int EventAccumulator::rawSlot(QByteArrayView rawName, Decode &decode)
{
    const std::string_view key(rawName.data(), std::size_t(rawName.size()));
    if (const auto it = m_rawNames.find(key); it != m_rawNames.end())
        return it->second;
    const int slot = FindOrCreatePlayer(CleanPlayerName(decode(rawName)));
    m_rawNames.emplace(std::string(key), slot);
    return slot;
}

template<typename Decode>
void EventAccumulator::accumulateRaw(const RawLogEvent &event, Decode &&decode)
{
    const int actor = event.Actor.isEmpty() ? -1 : rawSlot(event.Actor, decode);
    const int victim = event.Victim.isEmpty() ? -1 : rawSlot(event.Victim, decode);
    apply(actor, victim, event.Weapon);
}
