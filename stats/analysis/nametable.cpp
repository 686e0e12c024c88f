// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/analysis/nametable.h"

#include "stats/analysis/bytescan.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>

namespace {

// Room for a few thousand names from the start: a busy server's file names tens of thousands,
// and each doubling on the way re-places every name in new memory.
constexpr std::size_t initialCapacity = 1 << 13;

using ByteScan::load8;

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

constexpr std::size_t largePage = std::size_t(2) << 20;

} // namespace

template<typename T>
T *NameTable::LargePages<T>::allocate(std::size_t n)
{
    const std::size_t bytes = n * sizeof(T);
    if (bytes < largePage)
        return static_cast<T *>(::operator new(bytes, std::align_val_t(alignof(T))));
    const std::size_t rounded = (bytes + largePage - 1) / largePage * largePage;
    void *p = std::aligned_alloc(largePage, rounded);
    if (!p)
        throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    // Only a hint: where the system keeps to small pages, the table works all the same.
    madvise(p, rounded, MADV_HUGEPAGE);
#endif
    return static_cast<T *>(p);
}

template<typename T>
void NameTable::LargePages<T>::deallocate(T *p, std::size_t n)
{
    if (n * sizeof(T) < largePage)
        ::operator delete(p, std::align_val_t(alignof(T)));
    else
        std::free(p);
}

template struct NameTable::LargePages<NameTable::Entry>;

NameTable::NameTable()
{
    clear();
}

void NameTable::clear()
{
    // Given back rather than kept: after a file of half a million names come files of dozens.
    decltype(m_index)(initialCapacity, Entry {}).swap(m_index);
    m_mask = initialCapacity - 1;
    std::vector<Key>().swap(m_keys);
    std::string().swap(m_arena);
    m_keys.reserve(initialCapacity / 2);
}

QByteArrayView NameTable::name(std::uint32_t slot) const
{
    const Key &key = m_keys[slot];
    return QByteArrayView(m_arena.data() + key.offset, key.length);
}

bool NameTable::holds(const Entry &entry, std::uint32_t tag, QByteArrayView name) const
{
    const auto size = std::size_t(name.size());
    if (entry.tag != tag || entry.length != size)
        return false;
    const char *p = name.data();
    // The head is zero behind a shorter name, like the word loadShort() builds.
    if (size < 8)
        return (std::endian::native == std::endian::little ? load8(entry.head)
                                                           : loadShort(entry.head, size))
            == loadShort(p, size);
    if (size <= headSize)
        return load8(entry.head) == load8(p) && load8(entry.head + size - 8) == load8(p + size - 8);
    return load8(entry.head) == load8(p) && load8(entry.head + 8) == load8(p + 8)
        && sameBytes(m_arena.data() + (entry.start - 1) + headSize, p + headSize, size - headSize);
}

std::uint64_t NameTable::probe(QByteArrayView name, std::uint64_t hash) const
{
    const auto tag = std::uint32_t(hash >> 32);
    std::uint64_t position = hash & m_mask;
    // Nearly every other name is told apart by its tag, without a call.
    for (; m_index[position].start != 0; position = (position + 1) & m_mask) {
        if (m_index[position].tag == tag && holds(m_index[position], tag, name))
            break;
    }
    return position;
}

void NameTable::prefetch(std::uint64_t hash) const
{
    // A look-up in a table three quarters full reads two or three entries on average, two to a
    // cache line: often into the next line too.
    __builtin_prefetch(&m_index[hash & m_mask]);
    __builtin_prefetch(&m_index[(hash + 2) & m_mask]);
}

std::uint64_t NameTable::hash(QByteArrayView name)
{
    return hashOf(name);
}

const std::uint32_t *NameTable::find(QByteArrayView name, std::uint64_t hash) const
{
    const Entry &entry = m_index[probe(name, hash)];
    return entry.start != 0 ? &entry.value : nullptr;
}

std::uint32_t NameTable::slot(QByteArrayView name)
{
    const std::uint64_t hash = hashOf(name);
    const std::uint64_t position = probe(name, hash);
    // A name added here holds its slot as its value.
    if (m_index[position].start != 0)
        return m_index[position].value;
    return insert(name, hash, position, size());
}

void NameTable::add(QByteArrayView name, std::uint32_t value)
{
    const std::uint64_t hash = hashOf(name);
    insert(name, hash, probe(name, hash), value);
}

std::uint32_t NameTable::insert(QByteArrayView name, std::uint64_t hash, std::uint64_t position,
                                std::uint32_t value)
{
    const auto slot = std::uint32_t(m_keys.size());
    m_keys.push_back(Key {hash, std::uint32_t(m_arena.size()), std::uint32_t(name.size()), value});
    m_arena.append(name.data(), std::size_t(name.size()));
    // Kept at most three quarters full: a probe rarely goes past the cache line it starts in.
    if (m_keys.size() * 4 > m_index.size() * 3)
        rehash(m_index.size() * 2);
    else
        place(slot, position);
    return slot;
}

void NameTable::place(std::uint32_t slot, std::uint64_t position)
{
    const Key &key = m_keys[slot];
    Entry &entry = m_index[position];
    entry.start = key.offset + 1;
    entry.tag = std::uint32_t(key.hash >> 32);
    entry.length = key.length;
    entry.value = key.value;
    std::memcpy(entry.head, m_arena.data() + key.offset,
                std::min<std::size_t>(key.length, headSize));
}

void NameTable::reserve(std::size_t names)
{
    m_keys.reserve(names);
    std::size_t capacity = m_index.size();
    while (capacity * 3 < names * 4)
        capacity *= 2;
    if (capacity > m_index.size())
        rehash(capacity);
}

void NameTable::rehash(std::size_t capacity)
{
    m_index.assign(capacity, Entry {});
    m_mask = m_index.size() - 1;
    for (std::uint32_t slot = 0; slot < m_keys.size(); ++slot) {
        std::uint64_t position = m_keys[slot].hash & m_mask;
        while (m_index[position].start != 0)
            position = (position + 1) & m_mask;
        place(slot, position);
    }
}
