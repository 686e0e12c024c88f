// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/web/cachedsite.h"

#include "stats/web/gzip.h"
#include "stats/web/statslabels.h"

#include <QCryptographicHash>

namespace {

const QByteArray vary = "Vary";
const QByteArray eitherVariant = "Accept-Language, Accept-Encoding";

/// The pages worth keeping: those that read the statistics.
bool kept(const WebRequest &request)
{
    return request.method != WebRequest::Method::Other
        && (request.path == "/" || request.path == "/ranking.json"
            || request.path.startsWith("/player/"));
}

/// The quality a part "name;q=VALUE" of an Accept header gives; 1 without one.
double quality(const QList<QByteArray> &parameters)
{
    for (const QByteArray &parameter : parameters) {
        const QByteArray trimmed = parameter.trimmed();
        if (trimmed.size() > 2 && (trimmed[0] == 'q' || trimmed[0] == 'Q') && trimmed[1] == '=') {
            bool valid = false;
            const double value = trimmed.mid(2).toDouble(&valid);
            return valid ? value : 0;
        }
    }
    return 1;
}

QList<QPair<QByteArray, QByteArray>> withHeaders(QList<QPair<QByteArray, QByteArray>> headers,
                                                 const QByteArray &tag)
{
    bool varied = false;
    for (auto &[name, value] : headers) {
        if (name == vary) {
            value = eitherVariant;
            varied = true;
        }
    }
    if (!varied)
        headers.append(qMakePair(vary, eitherVariant));
    headers.append(qMakePair(QByteArray("ETag"), tag));
    return headers;
}

/// Where a page is kept: one copy a language.
QByteArray keyOf(const WebRequest &request)
{
    const WebTexts::Language language = StatsLabels::fromAcceptLanguage(request.acceptLanguage);
    return (language == WebTexts::Language::English ? "en " : "fr ") + request.path + '?'
        + request.query;
}

} // namespace

CachedSite::CachedSite(QString databasePath, PageCache &cache)
    : m_site(std::move(databasePath)), m_cache(cache)
{
    m_site.shareKillsOrder([this](DataStats &store) { return killsOrder(store); });
}

void CachedSite::readAhead()
{
    m_generation = m_cache.generation();
    m_site.readAhead();
}

RankingSite::SharedKillsOrder CachedSite::killsOrder(DataStats &store)
{
    bool build = false;
    RankingSite::SharedKillsOrder order = m_cache.killsOrder(m_generation, build);
    if (!build)
        return order;
    auto made = std::make_shared<PageCache::KillsOrder>();
    // Grown a step at a time, the 600,000 entries would be copied over and over while every
    // players' page asked for meanwhile is counted by the database.
    if (const Result<qint64> players = store.lastPlace(); players && *players > 0)
        made->reserve(std::size_t(*players));
    // Shared a stretch at a time: the players ahead in it are placed from it at once. The
    // entries others read never move; more than room was made for go to a copy.
    constexpr std::size_t stretch = 16384;
    const Result<> read = store.forEachKillsPlace([&](qint64 kills, qint64 place) {
        if (made->size() == made->capacity()) {
            auto larger = std::make_shared<PageCache::KillsOrder>();
            larger->reserve(made->size() * 2 + stretch);
            larger->assign(made->begin(), made->end());
            made = std::move(larger);
        }
        made->push_back({kills, kills, place});
        if (made->size() % stretch == 0)
            m_cache.keepKillsOrder(m_generation, {made, made->size(), false});
    });
    order = read ? RankingSite::SharedKillsOrder {made, made->size(), true}
                 : RankingSite::SharedKillsOrder {};
    m_cache.keepKillsOrder(m_generation, order);
    return order;
}

bool CachedSite::acceptsGzip(const QByteArray &header)
{
    std::optional<double> gzip;
    std::optional<double> any;
    for (const QByteArray &item : header.split(',')) {
        QList<QByteArray> parts = item.split(';');
        const QByteArray coding = parts.takeFirst().trimmed().toLower();
        if (coding == "gzip" || coding == "x-gzip")
            gzip = std::max(gzip.value_or(0), quality(parts));
        else if (coding == "*")
            any = quality(parts);
    }
    return gzip ? *gzip > 0 : any.value_or(0) > 0;
}

bool CachedSite::matches(const QByteArray &header, const QByteArray &tag)
{
    for (const QByteArray &item : header.split(',')) {
        QByteArray given = item.trimmed();
        if (given == "*")
            return true;
        // A weak comparison, as for a GET: "W/" leaves the bytes the same.
        if (given.startsWith("W/"))
            given = given.mid(2);
        if (given == tag)
            return true;
    }
    return false;
}

std::shared_ptr<const PageCache::Page>
CachedSite::withGzip(const QByteArray &key, quint64 generation,
                     std::shared_ptr<const PageCache::Page> page)
{
    if (!page->gzipped.body.isEmpty())
        return page;
    const QByteArray compressed = Gzip::compress(page->plain.body);
    // Nothing is gained on a body that does not shrink: the plain one goes out.
    if (compressed.isEmpty() || compressed.size() >= page->plain.body.size())
        return page;
    auto made = std::make_shared<PageCache::Page>(*page);
    made->gzipTag = page->entityTag;
    made->gzipTag.insert(made->gzipTag.size() - 1, "-gzip");
    made->gzipped.status = page->plain.status;
    made->gzipped.headers = page->plain.headers;
    for (auto &[name, value] : made->gzipped.headers)
        if (name == "ETag")
            value = made->gzipTag;
    made->gzipped.headers.append(qMakePair(QByteArray("Content-Encoding"), QByteArray("gzip")));
    made->gzipped.body = compressed;
    m_cache.insert(key, generation, made);
    return made;
}

WebResponse CachedSite::sent(const PageCache::Page &page, const WebRequest &request, bool gzip)
{
    const bool compressed = gzip && !page.gzipped.body.isEmpty();
    const WebResponse &chosen = compressed ? page.gzipped : page.plain;
    if (!request.ifNoneMatch.isEmpty()
        && (matches(request.ifNoneMatch, page.entityTag)
            || (!page.gzipTag.isEmpty() && matches(request.ifNoneMatch, page.gzipTag))))
        return {304, chosen.headers, {}};
    return chosen;
}

std::optional<WebResponse> CachedSite::fromCache(PageCache &cache, const WebRequest &request)
{
    if (!kept(request))
        return std::nullopt;
    const std::shared_ptr<const PageCache::Page> page =
        cache.find(keyOf(request), cache.generation());
    const bool gzip = acceptsGzip(request.acceptEncoding);
    // Compressing takes longer than sending: it is left to the threads that write pages.
    if (!page || (gzip && page->gzipped.body.isEmpty()))
        return std::nullopt;
    return sent(*page, request, gzip);
}

WebResponse CachedSite::handle(const WebRequest &request)
{
    if (!kept(request))
        return m_site.handle(request);
    // Taken before the database is read: a page written from statistics older than this
    // generation is never kept under it.
    m_generation = m_cache.generation();
    const quint64 generation = m_generation;
    const QByteArray key = keyOf(request);
    std::shared_ptr<const PageCache::Page> page = m_cache.find(key, generation);
    if (!page) {
        WebResponse written = m_site.handle(request);
        if (written.status != 200)
            return written;
        auto made = std::make_shared<PageCache::Page>();
        made->entityTag = '"'
            + QCryptographicHash::hash(written.body, QCryptographicHash::Sha1).toHex().left(24)
            + '"';
        written.headers = withHeaders(written.headers, made->entityTag);
        made->plain = std::move(written);
        m_cache.insert(key, generation, made);
        page = std::move(made);
    }
    const bool gzip = acceptsGzip(request.acceptEncoding);
    if (gzip)
        page = withGzip(key, generation, page);
    return sent(*page, request, gzip);
}
