// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/web/pagecache.h"

namespace {

qsizetype responseBytes(const WebResponse &response)
{
    qsizetype bytes = response.body.size();
    for (const auto &[name, value] : response.headers)
        bytes += name.size() + value.size();
    return bytes;
}

} // namespace

PageCache::PageCache(qsizetype capacity) : m_capacity(capacity) { }

void PageCache::advance()
{
    // Freed once the lock is let go: the threads that write the new pages do not wait for it.
    Entries entries;
    QHash<QByteArray, Entries::iterator> index;
    ColumnOrder::Shared order;
    const std::lock_guard<std::mutex> locked(m_lock);
    ++m_generation;
    entries.swap(m_entries);
    index.swap(m_index);
    m_bytes = 0;
    std::swap(order, m_killsOrder);
    m_killsOrderBuilding = false;
}

std::shared_ptr<const PageCache::Page> PageCache::find(const QByteArray &key, quint64 generation)
{
    const std::lock_guard<std::mutex> locked(m_lock);
    if (generation != m_generation.load())
        return nullptr;
    const auto found = m_index.constFind(key);
    if (found == m_index.constEnd())
        return nullptr;
    const Entries::iterator entry = *found;
    m_entries.splice(m_entries.begin(), m_entries, entry);
    return entry->page;
}

void PageCache::insert(const QByteArray &key, quint64 generation, std::shared_ptr<const Page> page)
{
    // What the list, the index and the page's own structures take besides the bytes.
    constexpr qsizetype overhead = 512;
    const qsizetype bytes =
        2 * key.size() + responseBytes(page->plain) + responseBytes(page->gzipped) + overhead;
    const std::lock_guard<std::mutex> locked(m_lock);
    if (generation != m_generation.load() || bytes > m_capacity / 4)
        return;
    if (const auto found = m_index.constFind(key); found != m_index.constEnd())
        erase(*found);
    while (!m_entries.empty() && m_bytes + bytes > m_capacity)
        erase(std::prev(m_entries.end()));
    m_entries.push_front({key, std::move(page), bytes});
    m_index.insert(key, m_entries.begin());
    m_bytes += bytes;
}

qsizetype PageCache::bytes() const
{
    const std::lock_guard<std::mutex> locked(m_lock);
    return m_bytes;
}

ColumnOrder::Shared PageCache::killsOrder(quint64 generation, bool &build)
{
    const std::lock_guard<std::mutex> locked(m_lock);
    build = false;
    if (generation != m_generation.load())
        return {};
    if (!m_killsOrder.whole && !m_killsOrderBuilding)
        build = m_killsOrderBuilding = true;
    return m_killsOrder;
}

void PageCache::keepKillsOrder(quint64 generation, ColumnOrder::Shared order)
{
    const std::lock_guard<std::mutex> locked(m_lock);
    if (generation != m_generation.load())
        return;
    m_killsOrderBuilding = order.entries && !order.whole;
    m_killsOrder = std::move(order);
}

void PageCache::erase(Entries::iterator entry)
{
    m_bytes -= entry->bytes;
    m_index.remove(entry->key);
    m_entries.erase(entry);
}
