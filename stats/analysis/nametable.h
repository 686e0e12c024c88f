// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <string>
#include <vector>

/**
 * The slots of the names a log mentions, looked up by their bytes once or twice per line.
 * A general-purpose string map costs a quarter of a busy day's count in hashing, allocating and
 * comparing; here the bytes are copied once into one arena, and a slot is found by one hash of
 * the name and, nearly always, one comparison within the table's own entry: a busy server's
 * tens of thousands of spellings do not fit in the processor's cache, and every further place
 * a look-up had to read would be one more wait for memory.
 */
class NameTable
{
public:
    NameTable();

    /// The slot of \a name (0, 1, 2... in order of first appearance), added when new.
    std::uint32_t slot(QByteArrayView name);
    /// The value stored with \a name, whose hash() is \a hash, or nullptr when the table does
    /// not hold it.
    const std::uint32_t *find(QByteArrayView name, std::uint64_t hash) const;
    static std::uint64_t hash(QByteArrayView name);
    /// Starts to fetch the place where the look-up of \a hash begins: the look-ups of a line's
    /// two names then wait for memory together rather than one after the other.
    void prefetch(std::uint64_t hash) const;
    /// Adds \a name, which the table does not hold yet, with \a value (slot() stores the slot).
    void add(QByteArrayView name, std::uint32_t value);
    std::uint32_t size() const { return std::uint32_t(m_keys.size()); }
    /// The bytes of the name in \a slot.
    QByteArrayView name(std::uint32_t slot) const;
    void clear();
    /// Room for \a names names without growing on the way.
    void reserve(std::size_t names);

private:
    static constexpr std::size_t headSize = 16;

    struct Key
    {
        std::uint64_t hash;
        std::uint32_t offset;
        std::uint32_t length;
        std::uint32_t value;
    };
    // Half a cache line: a name of up to 16 bytes is told apart from others, or found with its
    // value, without reading anything else.
    struct alignas(32) Entry
    {
        // Where the name starts in the arena, + 1 (0 where empty): a long name is compared
        // without first reading its key, one wait for memory fewer.
        std::uint32_t start;
        std::uint32_t tag; // high bits of the hash: most other names are told apart here
        std::uint32_t length;
        std::uint32_t value;
        char head[headSize]; // the name's first bytes, zeros behind a shorter name
    };

    /// Where \a name is, or the empty position where it would go.
    std::uint64_t probe(QByteArrayView name, std::uint64_t hash) const;
    bool holds(const Entry &entry, std::uint32_t tag, QByteArrayView name) const;
    std::uint32_t insert(QByteArrayView name, std::uint64_t hash, std::uint64_t position,
                         std::uint32_t value);
    void place(std::uint32_t slot, std::uint64_t position);
    void rehash(std::size_t capacity);

    /// Memory for a large index in pages of two megabytes where the system offers them: with
    /// pages of four kilobytes, a look-up among tens of thousands of names nearly always misses
    /// the processor's table of pages as well as its cache, and waits twice.
    template<typename T>
    struct LargePages
    {
        using value_type = T;
        LargePages() = default;
        template<typename U>
        LargePages(const LargePages<U> &)
        { }
        T *allocate(std::size_t n);
        void deallocate(T *p, std::size_t n);
        friend bool operator==(const LargePages &, const LargePages &) { return true; }
    };

    std::vector<Entry, LargePages<Entry>> m_index;
    std::vector<Key> m_keys;
    std::string m_arena;
    std::uint64_t m_mask = 0;
};
