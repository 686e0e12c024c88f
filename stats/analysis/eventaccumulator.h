// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"
#include "stats/analysis/logevent.h"
#include "stats/analysis/nametable.h"
#include "stats/store/datastats.h"

#include <array>
#include <memory>
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
 * A busy server writes each player under several spellings (letter cases, a "(1)" prefix, a bot
 * tag), and each spelling thousands of times. So a spelling is decoded, cleaned and folded once,
 * the first time it appears: as UTF-8 when it is valid UTF-8, otherwise as Windows-1252, since
 * one server's log mixes the names of old and new clients. Every later mention finds its player
 * by its raw bytes alone. Names stay UTF-8 bytes from the log to the database; only a name
 * outside ASCII is folded through a string of characters.
 */
class EventAccumulator
{
public:
    explicit EventAccumulator(DataStats &store);

    /// Counts one parsed line of the current file; an event without players changes nothing.
    /// The event is taken at once but counted when the next one comes, at endFile() or at
    /// flush().
    void AccumulateEvent(const LogEvent &event);
    /// The slot of the player named \a cleanedName (UTF-8), created when new.
    int FindOrCreatePlayer(QByteArrayView cleanedName);
    /// Ends the current file. Its spellings stay known for the next file, which mostly names
    /// the same players, unless there are very many of them.
    void endFile();

    /// Writes every pending change; the caller owns the transaction and, should it fail,
    /// discards this accumulator with it. \a rankingFollows: the ranking pass runs next in the
    /// same transaction. Once a flush failed, every later one fails for the same reason.
    Result<> flush(bool rankingFollows = false);

    /// Column raised for a weapon word (exact, case-sensitive), or -1.
    static int weaponColumn(QByteArrayView weapon);

private:
    using Counts = DataStats::Counts;

    /// The slot of the player a name written as \a written (raw bytes, whose NameTable::hash()
    /// is \a hash) stands for.
    std::uint32_t playerOf(QByteArrayView written, std::uint64_t hash);

    /// An event whose names are hashed and on their way from memory; it is counted when the
    /// next one comes, the end of the file or a flush, the parsing of a line later.
    struct Waiting
    {
        QByteArray actor; // a copy: the line may be gone by then
        QByteArray victim;
        std::uint64_t actorHash = 0;
        std::uint64_t victimHash = 0;
        int column = -1;
        bool suicide = false;
        bool waits = false;
    };
    /// An event whose players are known and whose counters are on their way from memory; they
    /// are raised when the next event has found its players.
    struct Found
    {
        std::uint32_t actor = 0;
        std::uint32_t victim = 0;
        int column = -1;
        bool suicide = false;
        bool waits = false;
    };
    void count(const Waiting &event);
    void raise(const Found &event);
    /// Counts the event waiting for its players; its counters are raised with the next one.
    void countWaiting();
    /// Counts and raises everything taken so far.
    void countAll();

    DataStats &m_store;
    std::array<Waiting, 2> m_events; // the one waiting and the next
    std::size_t m_waiting = 0;
    Found m_found;
    NameTable m_written; // the spellings seen since the last flush, each with its player's slot
    qint64 m_pendingEvents = 0;
    NameTable m_players; // the players with pending changes, by their folded name
    std::string m_spellings; // the name each of them was first seen under
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_spelling; // offset, length
    // A player's counters on two cache lines of their own rather than across three: each event
    // reaches them at random.
    struct alignas(128) PlayerCounts
    {
        Counts counts {};
    };
    // In blocks that stay where they are: a vector that grows holds its old and its new copy at
    // once, twice the counters of half a million players at the peak of an import.
    static constexpr std::uint32_t blockBits = 10;
    std::vector<std::unique_ptr<PlayerCounts[]>> m_counts; // by the slots of m_players
    Counts &countsOf(std::uint32_t slot)
    {
        return m_counts[slot >> blockBits][slot & ((1U << blockBits) - 1)].counts;
    }
    QByteArray m_folded;
    QByteArray m_decoded;
    Result<> m_failure; // a flush on the way failed: the transaction must not commit
};
