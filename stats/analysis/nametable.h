// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArrayView>

#include <cstdint>
#include <string>
#include <vector>

/**
 * The slots of the names a log mentions, looked up by their raw bytes once or twice per line.
 * A general-purpose string map costs a quarter of a busy day's count in hashing, allocating and
 * comparing; here the bytes are copied once into one arena, and a slot is found by one hash of
 * the name and, nearly always, one comparison.
 */
class NameTable
{
public:
    NameTable();

    /// The slot of \a name (0, 1, 2... in order of first appearance), added when new.
    std::uint32_t slot(QByteArrayView name);
    std::uint32_t size() const { return std::uint32_t(m_keys.size()); }
    /// The bytes of the name in \a slot.
    QByteArrayView name(std::uint32_t slot) const;
    void clear();
    /// Room for \a names names without growing on the way.
    void reserve(std::size_t names);

private:
    struct Key
    {
        std::uint64_t hash;
        std::uint32_t offset;
        std::uint32_t length;
    };

    void grow();
    void rehash(std::size_t capacity);

    struct Entry
    {
        std::uint32_t slot; // slot + 1, 0 where empty
        std::uint32_t tag; // high bits of the hash: most other names are told apart here
    };

    std::vector<Entry> m_index;
    std::vector<Key> m_keys;
    std::string m_arena;
    std::uint64_t m_mask = 0;
};
