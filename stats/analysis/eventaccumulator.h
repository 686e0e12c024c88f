// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"
#include "stats/analysis/logevent.h"
#include "stats/analysis/nametable.h"
#include "stats/store/datastats.h"

#include <string>
#include <vector>

/**
 * Applies events to the player rows: finds or creates the rows of the actor and the victim and
 * raises their counters and score.
 *
 * The counts are held in memory and written to the store by flush(), which the update run calls
 * inside a transaction that also records how far each file was counted: a file's counts reach
 * the database together or not at all, and a million lines cost a few thousand row writes
 * instead of millions of queries. Names are looked up case-folded, so that "Blah", "BLAH" and
 * "blah" -- in any alphabet -- share the row created first, which keeps its own spelling. Only
 * the players the logs name are looked up in the store, never the whole table.
 *
 * Events of a file are counted under the raw bytes of their names; endFile() then takes each
 * distinct name once: as UTF-8 when it is valid UTF-8, otherwise as Windows-1252, since one
 * server's log mixes the names of old and new clients. Names stay UTF-8 bytes from the log to
 * the database; only a name outside ASCII is folded through a string of characters.
 */
class EventAccumulator
{
public:
    explicit EventAccumulator(DataStats &store);

    /// Counts one parsed line of the current file; an event without players changes nothing.
    void AccumulateEvent(const LogEvent &event);
    /// The slot of the player named \a cleanedName (UTF-8), created when new.
    int FindOrCreatePlayer(QByteArrayView cleanedName);
    /// Moves the counts of the current file to its players.
    void endFile();

    /// Writes every pending change; the caller owns the transaction and, should it fail,
    /// discards this accumulator with it. \a rankingFollows: the ranking pass runs next in the
    /// same transaction. Once a flush failed, every later one fails for the same reason.
    Result<> flush(bool rankingFollows = false);
    /// Players with pending changes.
    int playerCount() const { return int(m_players.size()); }

    /// Column raised for a weapon word (exact, case-sensitive), or -1.
    static int weaponColumn(QByteArrayView weapon);

private:
    using Counts = DataStats::Counts;

    /// Adds \a counts to the player in \a slot; false, changing nothing, when a counter would
    /// leave the 32-bit range.
    bool add(int slot, const Counts &counts);

    DataStats &m_store;
    NameTable m_fileNames; // the names of the current file, by their raw bytes
    std::vector<Counts> m_fileCounts; // by the slots of m_fileNames
    qint64 m_fileEvents = 0;
    NameTable m_players; // the players with pending changes, by their folded name
    std::string m_spellings; // the name each of them was first seen under
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_spelling; // offset, length
    std::vector<Counts> m_counts; // by the slots of m_players
    QByteArray m_folded;
    Result<> m_failure; // a flush on the way failed: the transaction must not commit
};
