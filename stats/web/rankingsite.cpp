// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/web/rankingsite.h"

#include "stats/store/statscolumns.h"
#include "stats/web/statslabels.h"
#include "stats/web/webescape.h"
#include "stats/web/webpages.h"
#include "stats/web/webtexts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <chrono>
#include <unordered_set>

namespace {

using From = DataStats::PageRequest::From;
using Ranking = DataStats::Ranking;
using Language = WebTexts::Language;

const QString styleHref = QStringLiteral("/style.css");

/// The parameters of a query, decoded as a form sends them; a failure says what is wrong.
Result<QList<QPair<QString, QString>>> decodeQuery(const QByteArray &query,
                                                   Language language = Language::French)
{
    QList<QPair<QString, QString>> items;
    for (const QByteArray &item : query.split('&')) {
        if (item.isEmpty())
            continue;
        const qsizetype equals = item.indexOf('=');
        QString decoded[2];
        const QByteArray parts[2] = {item.left(equals < 0 ? item.size() : equals),
                                     equals < 0 ? QByteArray() : item.mid(equals + 1)};
        for (int i = 0; i < 2; ++i) {
            QByteArray bytes = parts[i];
            bytes.replace('+', ' ');
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            decoded[i] = utf8(QByteArray::fromPercentEncoding(bytes));
            if (utf8.hasError())
                return Result<QList<QPair<QString, QString>>>::failure(WebTexts::notUtf8(language));
        }
        items.append({decoded[0], decoded[1]});
    }
    return items;
}

/// What the parameter "by" says for \a column.
QString orderKey(int column)
{
    if (column == StatsColumns::Place)
        return QStringLiteral("places");
    return StatsLabels::key(column);
}

QString keyText(int column, const DataStats::RankingKey &key)
{
    return column == StatsColumns::Place ? QString::number(key.place)
                                         : QStringLiteral("%1,%2").arg(key.kills).arg(key.place);
}

std::optional<DataStats::RankingKey> parseKey(int column, const QString &text)
{
    static const QRegularExpression place(QStringLiteral("^[0-9]{1,18}$"));
    static const QRegularExpression valueAndPlace(
        QStringLiteral("^(-?[0-9]{1,18}),([0-9]{1,18})$"));
    if (column == StatsColumns::Place) {
        if (!place.match(text).hasMatch())
            return std::nullopt;
        return DataStats::RankingKey {0, text.toLongLong()};
    }
    const QRegularExpressionMatch match = valueAndPlace.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return DataStats::RankingKey {match.captured(1).toLongLong(), match.captured(2).toLongLong()};
}

/// Where \a row stands in the order of \a column: the column's value (kept as "kills") and its
/// place.
DataStats::RankingKey keyOf(const DataStats::PlayerRow &row, int column)
{
    return {column == StatsColumns::Place ? 0 : StatsLabels::value(row, column), row.place};
}

Result<RankingSite::Parameters> parseParameters(const QByteArray &query, bool json,
                                                Language language)
{
    using Failure = Result<RankingSite::Parameters>;
    const auto items = decodeQuery(query, language);
    if (!items)
        return Failure::failure(items.failure());
    QHash<QString, QString> given;
    for (const auto &[name, value] : *items) {
        if (!QStringList {"by", "q", "min", "after", "before", "last"}.contains(name))
            return Failure::failure(WebTexts::unknownParameter(language).arg(name));
        if (given.contains(name))
            return Failure::failure(WebTexts::repeatedParameter(language).arg(name));
        given.insert(name, value);
    }
    RankingSite::Parameters parameters;
    parameters.json = json;
    DataStats::PageRequest &page = parameters.page;
    page.size = RankingSite::pageSize;
    const QString by = given.value(QStringLiteral("by"), QStringLiteral("places"));
    const int column =
        by == QLatin1String("places") ? StatsColumns::Place : StatsLabels::indexOfKey(by);
    if (column != StatsColumns::Place && column < StatsColumns::FirstCounter)
        return Failure::failure(
            WebTexts::wrongParameter(language).arg(QStringLiteral("by"),
                                                   WebTexts::anOrder(language).arg(QStringLiteral(
                                                       "score, deaths, awp, kills_per_death…"))));
    parameters.column = column;
    page.order = column == StatsColumns::Kills ? Ranking::Kills : Ranking::Places;
    page.nameStart = given.value(QStringLiteral("q"));
    if (page.nameStart.size() > RankingSite::longestSearch)
        return Failure::failure(WebTexts::wrongParameter(language).arg(
            QStringLiteral("q"),
            WebTexts::atMostCharacters(language).arg(RankingSite::longestSearch)));
    // An empty field of the form asks for no least number.
    if (const QString least = given.value(QStringLiteral("min")); !least.isEmpty()) {
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,18}$"));
        if (!digits.match(least).hasMatch())
            return Failure::failure(WebTexts::wrongParameter(language).arg(
                QStringLiteral("min"), WebTexts::aWholeNumber(language)));
        parameters.minKills = least.toLongLong();
    }

    const int positions = int(given.contains(QStringLiteral("after")))
        + int(given.contains(QStringLiteral("before")))
        + int(given.contains(QStringLiteral("last")));
    if (positions > 1)
        return Failure::failure(WebTexts::onePosition(language));
    const QString keyForm = column == StatsColumns::Place ? WebTexts::aPlace(language)
        : column == StatsColumns::Kills                   ? QStringLiteral("KILLS,PLACE")
                                                          : QStringLiteral("VALUE,PLACE");
    for (const char *name : {"after", "before"}) {
        const QString parameter = QLatin1String(name);
        if (!given.contains(parameter))
            continue;
        const std::optional<DataStats::RankingKey> key = parseKey(column, given[parameter]);
        if (!key)
            return Failure::failure(WebTexts::wrongParameter(language).arg(parameter, keyForm));
        page.key = *key;
        page.from = parameter == QLatin1String("after") ? From::After : From::Before;
    }
    if (given.contains(QStringLiteral("last"))) {
        if (given[QStringLiteral("last")] != QLatin1String("1"))
            return Failure::failure(WebTexts::wrongParameter(language).arg(QStringLiteral("last"),
                                                                           QStringLiteral("1")));
        page.from = From::Last;
    }
    return parameters;
}

/// The first place of the numbered page that holds \a place.
qint64 pageStart(qint64 place)
{
    return (std::max<qint64>(place, 1) - 1) / RankingSite::pageSize * RankingSite::pageSize;
}

QJsonValue jsonHref(bool present, const RankingSite::Parameters &parameters)
{
    return present ? QJsonValue(RankingSite::href(parameters)) : QJsonValue(QJsonValue::Null);
}

/// The headers every answer carries: a strict Content-Security-Policy among them.
QList<QPair<QByteArray, QByteArray>> headers(const QByteArray &contentType)
{
    return {
        {"Content-Type", contentType},
        // Nothing but the site's own style sheet: no script, no frame, no form elsewhere.
        {"Content-Security-Policy",
         "default-src 'none'; style-src 'self'; img-src 'self'; form-action 'self'; "
         "base-uri 'none'; frame-ancestors 'none'"},
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "no-referrer"},
        {"X-Frame-Options", "DENY"},
        {"Cache-Control", "no-cache"},
    };
}

} // namespace

RankingSite::RankingSite(QString databasePath) : m_path(std::move(databasePath)) { }

RankingSite::~RankingSite() = default;

Result<> RankingSite::open()
{
    if (m_store && m_store->isOpen())
        return {};
    m_store = std::make_unique<DataStats>();
    // Another connection counts its changes afresh: no order read through the last one stands.
    m_orders.clear();
    m_killsOrder.clear();
    if (const Result<> opened = m_store->open(m_path, DataStats::Access::ReadOnly); !opened) {
        m_store.reset();
        return opened;
    }
    // A page never waits long: with write-ahead logging a reader is not kept waiting by the
    // writer, and an older database that still is gets a short answer rather than a hung one.
    if (const auto set = m_store->setBusyTimeout(std::chrono::milliseconds(2000)); !set) {
        m_store.reset();
        return Result<>::failure(set.failure());
    }
    readAhead();
    return {};
}

void RankingSite::readAhead()
{
    // A failure here is met again, and answered, by the next request.
    if (m_store && m_store->isOpen()) {
        if (m_sharedKillsOrder)
            (void)m_sharedKillsOrder(*m_store);
        else
            (void)m_killsOrder.order(*m_store, StatsColumns::Kills);
    }
}

WebResponse RankingSite::page(int status, const QByteArray &body)
{
    WebResponse response {status, headers("text/html; charset=utf-8"), body};
    // A cache keeps one copy a language.
    response.headers.append(qMakePair(QByteArray("Vary"), QByteArray("Accept-Language")));
    return response;
}

WebResponse RankingSite::message(int status, const QString &title, const QString &text, bool json,
                                 Language language)
{
    if (json)
        return {status, headers("application/json"),
                QJsonDocument(QJsonObject {{QStringLiteral("status"), status},
                                           {QStringLiteral("error"), text}})
                    .toJson(QJsonDocument::Compact)};
    return page(status, WebPages::message(status, title, text, styleHref, language));
}

WebResponse RankingSite::unavailable(const QString &reason, bool json, Language language)
{
    Q_UNUSED(reason);
    // Opened afresh by the next request: the file may have been replaced or repaired meanwhile.
    m_store.reset();
    return message(503, WebTexts::unavailableTitle(language), WebTexts::unavailable(language), json,
                   language);
}

WebResponse RankingSite::handle(const WebRequest &request)
{
    static const QByteArray json = "/ranking.json";
    const Language language = StatsLabels::fromAcceptLanguage(request.acceptLanguage);
    if (request.method == WebRequest::Method::Other) {
        WebResponse response =
            message(405, WebTexts::methodNotAllowedTitle(language),
                    WebTexts::methodNotAllowed(language), request.path == json, language);
        response.headers.append(qMakePair(QByteArray("Allow"), QByteArray("GET, HEAD")));
        return response;
    }
    static const QByteArray playerPath = "/player/";
    if (request.path == "/" || request.path == json)
        return ranking(request.query, request.path == json, language);
    if (request.path == "/style.css")
        return request.query.isEmpty()
            ? WebResponse {200, headers("text/css; charset=utf-8"), WebPages::styleSheet()}
            : message(400, WebTexts::badRequest(language),
                      WebTexts::unknownParameter(language).arg(QString::fromLatin1(request.query)),
                      false, language);
    if (request.path.startsWith(playerPath) && !request.path.mid(playerPath.size()).contains('/'))
        return player(request.path.mid(playerPath.size()), request.query, language);
    return message(404, WebTexts::notFoundTitle(language), WebTexts::notFound(language), false,
                   language);
}

QString RankingSite::href(const Parameters &parameters)
{
    const DataStats::PageRequest &page = parameters.page;
    QStringList items;
    if (parameters.column != StatsColumns::Place)
        items << QStringLiteral("by=") + orderKey(parameters.column);
    if (!page.nameStart.isEmpty())
        items << QStringLiteral("q=") + WebEscape::url(page.nameStart);
    if (parameters.minKills > 0)
        items << QStringLiteral("min=%1").arg(parameters.minKills);
    switch (page.from) {
    case From::First:
        break;
    case From::After:
        items << QStringLiteral("after=") + keyText(parameters.column, page.key);
        break;
    case From::Before:
        items << QStringLiteral("before=") + keyText(parameters.column, page.key);
        break;
    case From::Last:
        items << QStringLiteral("last=1");
        break;
    }
    const QString path = parameters.json ? QStringLiteral("/ranking.json") : QStringLiteral("/");
    return items.isEmpty() ? path : path + QLatin1Char('?') + items.join(QLatin1Char('&'));
}

Result<DataStats::RankingPage> RankingSite::orderedPage(const Parameters &asked)
{
    using Failure = Result<DataStats::RankingPage>;
    // A search sorted by another column: the players it finds, through the index of names.
    std::unordered_set<qint64> found;
    const bool searched = !asked.page.nameStart.isEmpty();
    if (searched) {
        DataStats::PageRequest names;
        names.nameStart = asked.page.nameStart;
        names.size = 1000;
        for (;;) {
            const Result<DataStats::RankingPage> some = m_store->rankingPage(names);
            if (!some)
                return Failure::failure(some.failure());
            for (const DataStats::PlayerRow &row : some->rows)
                found.insert(row.place);
            if (qsizetype(found.size()) > mostFoundToSort)
                return Failure::failure(QString());
            if (!some->hasAfter || some->rows.empty())
                break;
            names.from = From::After;
            names.key = some->rows.back().key();
        }
    }
    const Result<const std::vector<ColumnOrder::Entry> *> order =
        m_orders.order(*m_store, asked.column);
    if (!order)
        return Failure::failure(order.failure());
    const qint64 least = asked.minKills;
    const ColumnOrder::Page page =
        ColumnOrder::page(**order, asked.page, [&](const ColumnOrder::Entry &entry) {
            return entry.kills >= least && (!searched || found.count(entry.place) > 0);
        });
    Result<std::vector<DataStats::PlayerRow>> rows = m_store->rowsAt(page.places);
    if (!rows)
        return Failure::failure(rows.failure());
    DataStats::RankingPage result;
    result.rows = std::move(*rows);
    result.hasBefore = page.hasBefore;
    result.hasAfter = page.hasAfter;
    return result;
}

WebResponse RankingSite::ranking(const QByteArray &query, bool json, Language language)
{
    const Result<Parameters> parsed = parseParameters(query, json, language);
    if (!parsed)
        return message(400, WebTexts::badRequest(language), parsed.reason(), json, language);
    const Parameters &asked = *parsed;
    if (const Result<> opened = open(); !opened)
        return unavailable(opened.reason(), json, language);
    // Places and kills have indexes of their own; the other columns, and the lists that leave
    // out the players with fewer kills, walk an order built for them.
    const bool indexed =
        (asked.column == StatsColumns::Place || asked.column == StatsColumns::Kills)
        && asked.minKills == 0;
    const Result<DataStats::RankingPage> rows =
        indexed ? m_store->rankingPage(asked.page) : orderedPage(asked);
    if (!rows) {
        if (rows.reason().isEmpty())
            return message(400, WebTexts::badRequest(language),
                           WebTexts::tooManyFound(language).arg(mostFoundToSort), json, language);
        return unavailable(rows.reason(), json, language);
    }
    const Result<qint64> players = m_store->lastPlace();
    if (!players)
        return unavailable(players.reason(), json, language);
    const Result<std::optional<QDateTime>> updated = m_store->lastUpdate();
    if (!updated)
        return unavailable(updated.reason(), json, language);

    const DataStats::RankingPage &found = *rows;
    const int column = asked.column;
    const bool filtered = !asked.page.nameStart.isEmpty() || asked.minKills > 0;
    // Pages by places hold places 1-100, 101-200...: they have numbers and are found by them.
    const bool numbered = column == StatsColumns::Place && !filtered;
    auto at = [&](From from, DataStats::RankingKey key = {}, bool toJson = false) {
        Parameters to = asked;
        to.json = toJson;
        to.page.from = from;
        to.page.key = key;
        return to;
    };
    Parameters first = at(From::First, {}, json);
    Parameters previous =
        at(From::Before,
           found.rows.empty() ? DataStats::RankingKey {} : keyOf(found.rows.front(), column), json);
    Parameters next =
        at(From::After,
           found.rows.empty() ? DataStats::RankingKey {} : keyOf(found.rows.back(), column), json);
    Parameters last =
        numbered ? at(From::After, {0, pageStart(*players)}, json) : at(From::Last, {}, json);
    const bool hasBefore = found.hasBefore && !found.rows.empty();
    const bool hasAfter = found.hasAfter && !found.rows.empty();

    if (json) {
        QJsonArray rowsJson;
        for (const DataStats::PlayerRow &row : found.rows) {
            QJsonObject object {{QStringLiteral("id"), row.id},
                                {StatsLabels::key(StatsColumns::Nom), row.nom}};
            for (const int c : WebPages::shownColumns()) {
                if (c == StatsLabels::KillsPerDeath)
                    object.insert(StatsLabels::key(c), double(StatsLabels::value(row, c)) / 100.0);
                else if (c != StatsColumns::Nom)
                    object.insert(StatsLabels::key(c), StatsLabels::value(row, c));
            }
            rowsJson.append(object);
        }
        const QJsonObject document {
            {QStringLiteral("format"), jsonFormat},
            {QStringLiteral("order"), orderKey(column)},
            {QStringLiteral("q"), asked.page.nameStart},
            {QStringLiteral("min"), asked.minKills},
            {QStringLiteral("players"), *players},
            {QStringLiteral("updated"),
             *updated ? QJsonValue((*updated)->toUTC().toString(Qt::ISODateWithMs))
                      : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("first"), href(first)},
            {QStringLiteral("previous"), jsonHref(hasBefore, previous)},
            {QStringLiteral("next"), jsonHref(hasAfter, next)},
            {QStringLiteral("last"), href(last)},
            {QStringLiteral("rows"), rowsJson},
        };
        return {200, headers("application/json"),
                QJsonDocument(document).toJson(QJsonDocument::Compact)};
    }

    RankingView view;
    view.language = language;
    view.order = asked.page.order;
    view.column = column;
    view.minKills = asked.minKills;
    view.orderKey = column == StatsColumns::Place ? QString() : orderKey(column);
    view.nameStart = asked.page.nameStart;
    view.page = &found;
    for (const DataStats::PlayerRow &row : found.rows)
        view.playerHrefs.push_back(row.id > 0 ? QStringLiteral("/player/%1").arg(row.id)
                                              : QString());
    view.players = *players;
    view.updated = *updated;
    auto sortedBy = [&](int by) {
        Parameters to = at(From::First);
        to.column = by;
        to.page.order = by == StatsColumns::Kills ? Ranking::Kills : Ranking::Places;
        return href(to);
    };
    view.placesHref = sortedBy(StatsColumns::Place);
    view.killsHref = sortedBy(StatsColumns::Kills);
    for (const int c : WebPages::shownColumns())
        if (c != StatsColumns::Nom)
            view.sortHrefs[c] = sortedBy(c);
    Parameters everyone = at(From::First);
    everyone.page.nameStart.clear();
    everyone.minKills = 0;
    view.everyoneHref = href(everyone);
    const bool atFirst = !hasBefore;
    const bool atLast = !hasAfter;
    view.first = {WebTexts::firstPage(language), atFirst ? QString() : href(first)};
    view.previous = {WebTexts::previousPage(language), hasBefore ? href(previous) : QString()};
    view.next = {WebTexts::nextPage(language), hasAfter ? href(next) : QString()};
    view.last = {WebTexts::lastPage(language), atLast ? QString() : href(last)};
    if (numbered && !found.rows.empty()) {
        view.pageCount = int((*players + pageSize - 1) / pageSize);
        view.pageNumber = int(pageStart(found.rows.front().place) / pageSize + 1);
        for (int n = std::max(1, view.pageNumber - 3);
             n <= std::min(view.pageCount, view.pageNumber + 3); ++n)
            view.numbered.push_back({QString::number(n),
                                     n == view.pageNumber
                                         ? QString()
                                         : href(at(n == 1 ? From::First : From::After,
                                                   {0, qint64(n - 1) * pageSize}))});
    }
    view.searchAction = QStringLiteral("/");
    view.jsonHref = href(at(asked.page.from, asked.page.key, true));
    view.styleHref = styleHref;
    return page(200, WebPages::ranking(view));
}

WebResponse RankingSite::player(const QByteArray &idText, const QByteArray &query,
                                Language language)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,18}$"));
    if (!digits.match(QString::fromLatin1(idText)).hasMatch())
        return message(400, WebTexts::badRequest(language),
                       WebTexts::wrongParameter(language).arg(QStringLiteral("/player/"),
                                                              WebTexts::aPlayersNumber(language)),
                       false, language);
    if (!query.isEmpty()) {
        const auto items = decodeQuery(query, language);
        return message(400, WebTexts::badRequest(language),
                       items ? WebTexts::unknownParameter(language).arg(
                           items->isEmpty() ? QString() : items->first().first)
                             : items.reason(),
                       false, language);
    }
    if (const Result<> opened = open(); !opened)
        return unavailable(opened.reason(), false, language);
    const auto found = m_store->playerRow(idText.toLongLong());
    if (!found)
        return unavailable(found.reason(), false, language);
    if (!*found)
        return message(404, WebTexts::notFoundTitle(language), WebTexts::noSuchPlayer(language),
                       false, language);
    DataStats::PlayerStanding standing;
    standing.row = std::move(**found);
    const Result<qint64> players = m_store->lastPlace();
    if (!players)
        return unavailable(players.reason(), false, language);
    if (standing.row.place > 0) {
        SharedKillsOrder byKills;
        if (m_sharedKillsOrder) {
            byKills = m_sharedKillsOrder(*m_store);
        } else {
            const Result<const std::vector<ColumnOrder::Entry> *> own =
                m_killsOrder.order(*m_store, StatsColumns::Kills);
            if (!own)
                return unavailable(own.reason(), false, language);
            byKills = {std::shared_ptr<const std::vector<ColumnOrder::Entry>>(
                           std::shared_ptr<void>(), *own),
                       (*own)->size(), true};
        }
        // Kills highest first, ties by place: those before the player are those ahead.
        const ColumnOrder::Entry self {standing.row.kills(), standing.row.kills(),
                                       standing.row.place};
        const ColumnOrder::Entry *first = byKills.entries ? byKills.entries->data() : nullptr;
        const ColumnOrder::Entry *end = first + byKills.length;
        const ColumnOrder::Entry *at = std::lower_bound(first, end, self, ColumnOrder::before);
        // The part read so far places the player if it reaches past the player.
        if (first && (byKills.whole || at != end)) {
            standing.killsPlace = qint64(at - first) + 1;
        } else {
            // Another thread reads the shared order, not yet as far: the database counts.
            const Result<qint64> counted =
                m_store->killsPlace(standing.row.kills(), standing.row.place);
            if (!counted)
                return unavailable(counted.reason(), false, language);
            standing.killsPlace = *counted;
        }
    }
    const Result<std::optional<QDateTime>> updated = m_store->lastUpdate();
    if (!updated)
        return unavailable(updated.reason(), false, language);

    PlayerView view;
    view.language = language;
    view.standing = &standing;
    view.players = *players;
    view.updated = *updated;
    view.rankingHref = QStringLiteral("/");
    view.styleHref = styleHref;
    if (standing.row.place > 0) {
        Parameters to;
        const qint64 start = pageStart(standing.row.place);
        to.page.from = start == 0 ? From::First : From::After;
        to.page.key = {0, start};
        view.placesHref = href(to);
        // The page of the ranking by kills that ends with the player.
        to.column = StatsColumns::Kills;
        to.page.order = Ranking::Kills;
        to.page.from = From::Before;
        to.page.key = {standing.row.kills(), standing.row.place + 1};
        view.killsHref = href(to);
    }
    return page(200, WebPages::player(view));
}
