#pragma once

#include "datastats.h"
#include "logevent.h"
#include "nametable.h"

#include <QHash>
#include <QString>

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
 * Events of a file are counted under the raw bytes of their names; endFile() then decodes each
 * distinct name once: as UTF-8 when it is valid UTF-8, otherwise as Windows-1252, since one
 * server's log mixes the names of old and new clients.
 */
class EventAccumulator
{
public:
    explicit EventAccumulator(DataStats &store);

    /// Counts one parsed line of the current file; an event without players changes nothing.
    void AccumulateEvent(const LogEvent &event);
    /// The slot of the player named \a cleanedName, created when new.
    int FindOrCreatePlayer(const QString &cleanedName);
    /// Moves the counts of the current file to its players, each name decoded on its own.
    void endFile();

    /// Writes every pending change; the caller owns the transaction and, should it fail,
    /// discards this accumulator with it. \a rankingFollows: the ranking pass runs next in the
    /// same transaction.
    bool flush(bool rankingFollows = false);
    /// Whether anything waits for flush().
    bool hasPending() const { return !m_touched.empty(); }

    /// Column raised for a weapon word (exact, case-sensitive), or -1.
    static int weaponColumn(QByteArrayView weapon);

    int playerCount() const { return int(m_players.size()); }

private:
    // One file cannot hold two thousand million events of one player: 32 bits keep a busy
    // day's counters of thousands of names in the processor's cache.
    using FileCounters = std::array<qint32, StatsColumns::CounterCount>;

    struct Player
    {
        QString nom;
        QString folded;
        DataStats::Counters delta {};
        bool touched = false;
    };

    DataStats::Counters &counters(int slot);

    DataStats &m_store;
    std::vector<Player> m_players;
    std::vector<int> m_touched;
    QHash<QString, int> m_byFoldedName;
    NameTable m_fileNames; // the names of the current file, by their raw bytes
    std::vector<FileCounters> m_fileCounts; // by the slots of m_fileNames
};
