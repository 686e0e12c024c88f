#pragma once

#include "datastats.h"
#include "logevent.h"

#include <QHash>
#include <QString>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

/**
 * Applies events to the player rows: finds or creates the rows of the actor and the victim and
 * raises their counters and score.
 *
 * The counts are held in memory while a file is counted and written to the store by flush(),
 * which the update run calls inside the file's transaction: a file's counts reach the database
 * together or not at all, and a million lines cost a few thousand row writes instead of
 * millions of queries. Names are looked up case-folded, so that "Blah", "BLAH" and "blah" -- in
 * any alphabet -- share the row created first, which keeps its own spelling. Only the players
 * the logs name are looked up in the store, never the whole table.
 *
 * Events of a file arrive raw (accumulateRaw()) and are counted under the raw bytes of the
 * names; endFile() decodes each distinct name once: as UTF-8 when it is valid UTF-8, otherwise
 * as Windows-1252, since one server's log mixes the names of old and new clients.
 */
class EventAccumulator
{
public:
    explicit EventAccumulator(DataStats &store);

    void AccumulateEvent(const LogEvent &event);
    /// The slot of the player named \a cleanedName, created when new.
    int FindOrCreatePlayer(const QString &cleanedName);

    void accumulateRaw(const RawLogEvent &event);
    /// Moves the raw counts of the file to the players, each name decoded on its own.
    void endFile();

    /// Writes every pending change (new rows first seen first); the caller owns the transaction
    /// and, should it fail, discards this accumulator with it.
    bool flush();

    /// Column raised for a weapon word (exact, case-sensitive), or -1.
    static int weaponColumn(QByteArrayView weapon);

    int playerCount() const { return int(m_players.size()); }

private:
    struct Player
    {
        QString nom;
        DataStats::Counters delta {};
        bool touched = false;
    };

    struct RawName
    {
        std::string bytes;
        DataStats::Counters delta {};
    };

    struct RawHash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept
        {
            return std::hash<std::string_view> {}(s);
        }
    };

    DataStats::Counters *counters(int slot);
    std::size_t rawSlot(QByteArrayView name);
    template<typename Counters>
    static void apply(Counters *actor, Counters *victim, QByteArrayView weapon);

    DataStats &m_store;
    std::vector<Player> m_players;
    std::vector<int> m_touched;
    QHash<QString, int> m_byFoldedName;
    std::vector<RawName> m_rawNames; // in order of first appearance in the file
    std::unordered_map<std::string, std::size_t, RawHash, std::equal_to<>> m_rawIndex;
};
