// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/web/columnorder.h"
#include "stats/web/webresponse.h"

#include <QByteArray>
#include <QHash>

#include <atomic>
#include <list>
#include <memory>
#include <mutex>

/**
 * Pages already written, shared by every thread that answers: bounded in bytes, the least
 * recently asked for going first. Each page is kept for one generation of the statistics; the
 * generation moves on when the statistics change (ChangeWatcher), and every page written before
 * then is gone. So is the order by kills that one thread builds for all of them once a
 * generation.
 */
class PageCache
{
public:
    /// A page as written, with what it is sent as.
    struct Page
    {
        WebResponse plain; ///< its headers already carry its entity tag
        QByteArray entityTag; ///< of the plain body, quoted
        /// The body compressed with gzip and its headers; no body until a client accepts it.
        WebResponse gzipped;
        QByteArray gzipTag;
    };

    static constexpr qsizetype defaultBytes = 64 * 1024 * 1024;

    explicit PageCache(qsizetype capacity = defaultBytes);
    PageCache(const PageCache &) = delete;
    PageCache &operator=(const PageCache &) = delete;

    quint64 generation() const { return m_generation.load(); }
    /// Forgets every page: the statistics changed.
    void advance();
    /// The page kept under \a key for \a generation; nothing when there is none.
    std::shared_ptr<const Page> find(const QByteArray &key, quint64 generation);
    /// Keeps \a page under \a key, unless the statistics changed since \a generation began or
    /// the page would take more than a quarter of the room.
    void insert(const QByteArray &key, quint64 generation, std::shared_ptr<const Page> page);
    /// The bytes the pages kept take, as counted against the capacity.
    qsizetype bytes() const;

    /// The order by kills that places the players on their pages, one for all the threads.
    using KillsOrder = std::vector<ColumnOrder::Entry>;
    /// The order by kills of \a generation, or the part read so far; \a build tells the caller
    /// whether it is the one to build it now (once a generation). A player's page does not wait
    /// for a read of the whole index. Nothing when the statistics changed meanwhile.
    ColumnOrder::Shared killsOrder(quint64 generation, bool &build);
    /// Keeps \a order as the order by kills of \a generation, or the part of it read so far; no
    /// entries: its building failed, and another thread may try.
    void keepKillsOrder(quint64 generation, ColumnOrder::Shared order);

private:
    struct Entry
    {
        QByteArray key;
        std::shared_ptr<const Page> page;
        qsizetype bytes = 0;
    };
    using Entries = std::list<Entry>;

    void erase(Entries::iterator entry);

    const qsizetype m_capacity;
    std::atomic<quint64> m_generation {1};
    mutable std::mutex m_lock;
    // The most recently asked for first.
    Entries m_entries;
    QHash<QByteArray, Entries::iterator> m_index;
    qsizetype m_bytes = 0;
    ColumnOrder::Shared m_killsOrder;
    bool m_killsOrderBuilding = false;
};
