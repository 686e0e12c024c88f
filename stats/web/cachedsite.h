// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/web/pagecache.h"
#include "stats/web/rankingsite.h"
#include "stats/web/webrequest.h"
#include "stats/web/webresponse.h"

#include <QString>

#include <optional>

/**
 * The ranking site for one thread that answers, in front of a cache of pages it shares with the
 * others: a page already written is sent again as long as the cache's generation has not moved
 * on (a ChangeWatcher moves it when the statistics change, before every answer); a client that
 * holds it already ("If-None-Match") gets 304 without it; a client that accepts gzip gets it
 * compressed. Each thread has its own connection to the database, which is only used from that
 * thread; the order by kills that places players on their pages is built by one of them once a
 * generation, and the others count in the database until it is there.
 */
class CachedSite
{
public:
    CachedSite(QString databasePath, PageCache &cache);
    CachedSite(const CachedSite &) = delete;
    CachedSite &operator=(const CachedSite &) = delete;

    /// Opens the database now; why it cannot, if so (the pages then answer 503 until it can).
    Result<> open() { return m_site.open(); }
    /// Reads ahead, between requests, what a player's page needs after the ranking changed.
    void readAhead();
    WebResponse handle(const WebRequest &request);
    /// The answer to \a request from the pages \a cache keeps for its generation, on any
    /// thread; nothing when it keeps none (or none compressed for a client that takes gzip).
    static std::optional<WebResponse> fromCache(PageCache &cache, const WebRequest &request);

    /// Whether an Accept-Encoding header \a header takes gzip: named, or under "*", without
    /// "q=0".
    static bool acceptsGzip(const QByteArray &header);
    /// Whether an If-None-Match header \a header names \a tag or any copy at all ("*").
    static bool matches(const QByteArray &header, const QByteArray &tag);

private:
    /// \a page as sent to \a request: compressed if \a gzip and it has such a body, or 304.
    static WebResponse sent(const PageCache::Page &page, const WebRequest &request, bool gzip);
    /// The page kept under \a key, with its compressed form made if it has none yet.
    std::shared_ptr<const PageCache::Page> withGzip(const QByteArray &key, quint64 generation,
                                                    std::shared_ptr<const PageCache::Page> page);

    /// The order by kills of the current generation, built here if no other thread has.
    RankingSite::SharedKillsOrder killsOrder(DataStats &store);

    RankingSite m_site;
    PageCache &m_cache;
    /// Of the cache, read before the database: what is written now is kept under it.
    quint64 m_generation = 0;
};
