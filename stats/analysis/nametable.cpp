// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/analysis/nametable.h"

#include <cstring>

namespace {

constexpr std::size_t initialCapacity = 1024;

std::uint64_t load8(const char *p)
{
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

// Fewer than eight bytes, one by one: a copy of a length known only at run time would be a call
// into the C library, for a name or two on every line.
std::uint64_t loadShort(const char *p, std::size_t n)
{
    std::uint64_t word = 0;
    for (std::size_t i = 0; i < n; ++i)
        word |= std::uint64_t(static_cast<unsigned char>(p[i])) << (8 * i);
    return word;
}

bool sameBytes(const char *a, const char *b, std::size_t n)
{
    // Most names fit in two words: compared in place, without a call into the C library.
    if (n < 8)
        return loadShort(a, n) == loadShort(b, n);
    if (n <= 16)
        return load8(a) == load8(b) && load8(a + n - 8) == load8(b + n - 8);
    return std::memcmp(a, b, n) == 0;
}

// Names are short; eight bytes at a time through a multiply mix them well enough for a table
// that compares the bytes whenever the hashes meet.
std::uint64_t hashOf(QByteArrayView name)
{
    constexpr std::uint64_t k = 0x9E3779B97F4A7C15ULL;
    const auto size = std::size_t(name.size());
    const char *p = name.data();
    std::uint64_t h = std::uint64_t(size) * k;
    if (size < 8) {
        h = (h ^ loadShort(p, size)) * k;
    } else {
        std::size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            h = (h ^ load8(p + i)) * k;
            h ^= h >> 29;
        }
        // The last word overlaps the one before: no byte is read beyond the name.
        if (i < size)
            h = (h ^ load8(p + size - 8)) * k;
    }
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ULL;
    h ^= h >> 32;
    return h;
}

} // namespace

NameTable::NameTable()
{
    clear();
}

void NameTable::clear()
{
    // Given back rather than kept: after a file of half a million names come files of dozens.
    std::vector<Entry>(initialCapacity, Entry {0, 0}).swap(m_index);
    m_mask = initialCapacity - 1;
    std::vector<Key>().swap(m_keys);
    std::string().swap(m_arena);
}

QByteArrayView NameTable::name(std::uint32_t slot) const
{
    const Key &key = m_keys[slot];
    return QByteArrayView(m_arena.data() + key.offset, key.length);
}

std::uint32_t NameTable::slot(QByteArrayView name)
{
    const std::uint64_t hash = hashOf(name);
    const auto tag = std::uint32_t(hash >> 32);
    std::uint64_t position = hash & m_mask;
    for (; m_index[position].slot != 0; position = (position + 1) & m_mask) {
        const Entry entry = m_index[position];
        if (entry.tag != tag)
            continue;
        const Key &key = m_keys[entry.slot - 1];
        if (key.length == std::uint32_t(name.size())
            && sameBytes(m_arena.data() + key.offset, name.data(), key.length))
            return entry.slot - 1;
    }
    const auto slot = std::uint32_t(m_keys.size());
    m_keys.push_back(Key {hash, std::uint32_t(m_arena.size()), std::uint32_t(name.size())});
    m_arena.append(name.data(), std::size_t(name.size()));
    m_index[position] = Entry {slot + 1, tag};
    // Kept at most half full, so that a probe rarely goes past its first position.
    if (m_keys.size() * 2 > m_index.size())
        grow();
    return slot;
}

void NameTable::reserve(std::size_t names)
{
    m_keys.reserve(names);
    std::size_t capacity = m_index.size();
    while (capacity < names * 2)
        capacity *= 2;
    if (capacity > m_index.size())
        rehash(capacity);
}

void NameTable::grow()
{
    rehash(m_index.size() * 2);
}

void NameTable::rehash(std::size_t capacity)
{
    m_index.assign(capacity, Entry {0, 0});
    m_mask = m_index.size() - 1;
    for (std::uint32_t slot = 0; slot < m_keys.size(); ++slot) {
        std::uint64_t position = m_keys[slot].hash & m_mask;
        while (m_index[position].slot != 0)
            position = (position + 1) & m_mask;
        m_index[position] = Entry {slot + 1, std::uint32_t(m_keys[slot].hash >> 32)};
    }
}
