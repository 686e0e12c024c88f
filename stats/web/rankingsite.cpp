// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/web/rankingsite.h"

#include "stats/store/statscolumns.h"
#include "stats/web/webescape.h"
#include "stats/web/webpages.h"
#include "stats/web/webtexts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringDecoder>

#include <chrono>

namespace {

using From = DataStats::PageRequest::From;
using Ranking = DataStats::Ranking;

const QString styleHref = QStringLiteral("/style.css");

/// The parameters of a query, decoded as a form sends them; a failure says what is wrong.
Result<QList<QPair<QString, QString>>> decodeQuery(const QByteArray &query)
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
                return Result<QList<QPair<QString, QString>>>::failure(WebTexts::notUtf8());
        }
        items.append({decoded[0], decoded[1]});
    }
    return items;
}

QString keyText(Ranking order, const DataStats::RankingKey &key)
{
    return order == Ranking::Kills ? QStringLiteral("%1,%2").arg(key.kills).arg(key.place)
                                   : QString::number(key.place);
}

std::optional<DataStats::RankingKey> parseKey(Ranking order, const QString &text)
{
    static const QRegularExpression place(QStringLiteral("^[0-9]{1,18}$"));
    static const QRegularExpression killsAndPlace(
        QStringLiteral("^(-?[0-9]{1,18}),([0-9]{1,18})$"));
    if (order == Ranking::Places) {
        if (!place.match(text).hasMatch())
            return std::nullopt;
        return DataStats::RankingKey {0, text.toLongLong()};
    }
    const QRegularExpressionMatch match = killsAndPlace.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return DataStats::RankingKey {match.captured(1).toLongLong(), match.captured(2).toLongLong()};
}

Result<RankingSite::Parameters> parseParameters(const QByteArray &query, bool json)
{
    using Failure = Result<RankingSite::Parameters>;
    const auto items = decodeQuery(query);
    if (!items)
        return Failure::failure(items.reason());
    QHash<QString, QString> given;
    for (const auto &[name, value] : *items) {
        if (!QStringList {"by", "q", "after", "before", "last"}.contains(name))
            return Failure::failure(WebTexts::unknownParameter().arg(name));
        if (given.contains(name))
            return Failure::failure(WebTexts::repeatedParameter().arg(name));
        given.insert(name, value);
    }
    RankingSite::Parameters parameters;
    parameters.json = json;
    DataStats::PageRequest &page = parameters.page;
    page.size = RankingSite::pageSize;
    const QString by = given.value(QStringLiteral("by"), QStringLiteral("places"));
    if (by != QLatin1String("places") && by != QLatin1String("kills"))
        return Failure::failure(WebTexts::wrongParameter().arg(QStringLiteral("by"),
                                                               QStringLiteral("places ou kills")));
    page.order = by == QLatin1String("kills") ? Ranking::Kills : Ranking::Places;
    page.nameStart = given.value(QStringLiteral("q"));
    if (page.nameStart.size() > RankingSite::longestSearch)
        return Failure::failure(WebTexts::wrongParameter().arg(
            QStringLiteral("q"),
            QStringLiteral("au plus %1 caractères").arg(RankingSite::longestSearch)));

    const int positions = int(given.contains(QStringLiteral("after")))
        + int(given.contains(QStringLiteral("before")))
        + int(given.contains(QStringLiteral("last")));
    if (positions > 1)
        return Failure::failure(WebTexts::onePosition());
    const QString keyForm =
        page.order == Ranking::Kills ? QStringLiteral("KILLS,PLACE") : QStringLiteral("une place");
    for (const char *name : {"after", "before"}) {
        const QString parameter = QLatin1String(name);
        if (!given.contains(parameter))
            continue;
        const std::optional<DataStats::RankingKey> key = parseKey(page.order, given[parameter]);
        if (!key)
            return Failure::failure(WebTexts::wrongParameter().arg(parameter, keyForm));
        page.key = *key;
        page.from = parameter == QLatin1String("after") ? From::After : From::Before;
    }
    if (given.contains(QStringLiteral("last"))) {
        if (given[QStringLiteral("last")] != QLatin1String("1"))
            return Failure::failure(
                WebTexts::wrongParameter().arg(QStringLiteral("last"), QStringLiteral("1")));
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

} // namespace

RankingSite::RankingSite(QString databasePath) : m_path(std::move(databasePath)) { }

RankingSite::~RankingSite() = default;

Result<> RankingSite::open()
{
    if (m_store && m_store->isOpen())
        return {};
    m_store = std::make_unique<DataStats>();
    if (const Result<> opened = m_store->open(m_path, DataStats::Access::ReadOnly); !opened) {
        m_store.reset();
        return opened;
    }
    // A page never waits long: with write-ahead logging a reader is not kept waiting by the
    // writer, and an older database that still is gets a short answer rather than a hung one.
    if (const auto set = m_store->setBusyTimeout(std::chrono::milliseconds(2000)); !set) {
        m_store.reset();
        return Result<>::failure(set.reason());
    }
    readAhead();
    return {};
}

void RankingSite::readAhead()
{
    // A failure here is met again, and answered, by the next request.
    if (m_store && m_store->isOpen())
        (void)m_store->readKillsStandings();
}

QList<QPair<QByteArray, QByteArray>> RankingSite::headers(const QByteArray &contentType)
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

WebResponse RankingSite::page(int status, const QByteArray &body)
{
    return {status, headers("text/html; charset=utf-8"), body};
}

WebResponse RankingSite::message(int status, const QString &title, const QString &text, bool json)
{
    if (json)
        return {status, headers("application/json"),
                QJsonDocument(QJsonObject {{QStringLiteral("status"), status},
                                           {QStringLiteral("error"), text}})
                    .toJson(QJsonDocument::Compact)};
    return page(status, WebPages::message(status, title, text, styleHref));
}

WebResponse RankingSite::unavailable(const QString &reason, bool json)
{
    Q_UNUSED(reason);
    // Opened afresh by the next request: the file may have been replaced or repaired meanwhile.
    m_store.reset();
    return message(503, QStringLiteral("Service indisponible"), WebTexts::unavailable(), json);
}

WebResponse RankingSite::handle(const WebRequest &request)
{
    static const QByteArray json = "/ranking.json";
    if (request.method == WebRequest::Method::Other) {
        WebResponse response = message(405, QStringLiteral("Méthode non permise"),
                                       WebTexts::methodNotAllowed(), request.path == json);
        response.headers.append(qMakePair(QByteArray("Allow"), QByteArray("GET, HEAD")));
        return response;
    }
    static const QByteArray playerPath = "/player/";
    if (request.path == "/")
        return ranking(request.query, false);
    if (request.path == json)
        return ranking(request.query, true);
    if (request.path == "/style.css") {
        if (!request.query.isEmpty())
            return message(400, WebTexts::badRequest(),
                           WebTexts::unknownParameter().arg(QString::fromLatin1(request.query)));
        return {200, headers("text/css; charset=utf-8"), WebPages::styleSheet()};
    }
    if (request.path.startsWith(playerPath) && !request.path.mid(playerPath.size()).contains('/'))
        return player(request.path.mid(playerPath.size()), request.query);
    return message(404, QStringLiteral("Introuvable"), WebTexts::notFound());
}

QString RankingSite::href(const Parameters &parameters)
{
    const DataStats::PageRequest &page = parameters.page;
    QStringList items;
    if (page.order == Ranking::Kills)
        items << QStringLiteral("by=kills");
    if (!page.nameStart.isEmpty())
        items << QStringLiteral("q=") + WebEscape::url(page.nameStart);
    switch (page.from) {
    case From::First:
        break;
    case From::After:
        items << QStringLiteral("after=") + keyText(page.order, page.key);
        break;
    case From::Before:
        items << QStringLiteral("before=") + keyText(page.order, page.key);
        break;
    case From::Last:
        items << QStringLiteral("last=1");
        break;
    }
    const QString path = parameters.json ? QStringLiteral("/ranking.json") : QStringLiteral("/");
    return items.isEmpty() ? path : path + QLatin1Char('?') + items.join(QLatin1Char('&'));
}

WebResponse RankingSite::ranking(const QByteArray &query, bool json)
{
    const Result<Parameters> parsed = parseParameters(query, json);
    if (!parsed)
        return message(400, WebTexts::badRequest(), parsed.reason(), json);
    const Parameters &asked = *parsed;
    if (const Result<> opened = open(); !opened)
        return unavailable(opened.reason(), json);
    const Result<DataStats::RankingPage> rows = m_store->rankingPage(asked.page);
    if (!rows)
        return unavailable(rows.reason(), json);
    const Result<qint64> players = m_store->lastPlace();
    if (!players)
        return unavailable(players.reason(), json);
    const Result<std::optional<QDateTime>> updated = m_store->lastUpdate();
    if (!updated)
        return unavailable(updated.reason(), json);

    const DataStats::RankingPage &found = *rows;
    const bool byPlaces = asked.page.order == Ranking::Places;
    const bool filtered = !asked.page.nameStart.isEmpty();
    // Pages by places hold places 1-100, 101-200...: they have numbers and are found by them.
    const bool numbered = byPlaces && !filtered;
    auto at = [&](From from, DataStats::RankingKey key = {}, bool toJson = false) {
        Parameters to = asked;
        to.json = toJson;
        to.page.from = from;
        to.page.key = key;
        return to;
    };
    Parameters first = at(From::First, {}, json);
    Parameters previous =
        at(From::Before, found.rows.empty() ? DataStats::RankingKey {} : found.rows.front().key(),
           json);
    Parameters next = at(
        From::After, found.rows.empty() ? DataStats::RankingKey {} : found.rows.back().key(), json);
    Parameters last =
        numbered ? at(From::After, {0, pageStart(*players)}, json) : at(From::Last, {}, json);
    const bool hasBefore = found.hasBefore && !found.rows.empty();
    const bool hasAfter = found.hasAfter && !found.rows.empty();

    if (json) {
        QJsonArray rowsJson;
        for (const DataStats::PlayerRow &row : found.rows) {
            QJsonObject object {{QStringLiteral("id"), row.id}};
            object.insert(WebPages::caption(StatsColumns::Place), row.place);
            object.insert(WebPages::caption(StatsColumns::Nom), row.nom);
            for (int c = StatsColumns::FirstCounter; c < StatsColumns::Count; ++c)
                object.insert(WebPages::caption(c),
                              row.counters[std::size_t(c - StatsColumns::FirstCounter)]);
            rowsJson.append(object);
        }
        const QJsonObject document {
            {QStringLiteral("order"),
             byPlaces ? QStringLiteral("places") : QStringLiteral("kills")},
            {QStringLiteral("q"), asked.page.nameStart},
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
    view.order = asked.page.order;
    view.nameStart = asked.page.nameStart;
    view.page = &found;
    for (const DataStats::PlayerRow &row : found.rows)
        view.playerHrefs.push_back(row.id > 0 ? QStringLiteral("/player/%1").arg(row.id)
                                              : QString());
    view.players = *players;
    view.updated = *updated;
    Parameters other = at(From::First);
    other.page.order = Ranking::Places;
    view.placesHref = href(other);
    other.page.order = Ranking::Kills;
    view.killsHref = href(other);
    const bool atFirst = !hasBefore;
    const bool atLast = !hasAfter;
    view.first = {WebTexts::firstPage(), atFirst ? QString() : href(first)};
    view.previous = {WebTexts::previousPage(), hasBefore ? href(previous) : QString()};
    view.next = {WebTexts::nextPage(), hasAfter ? href(next) : QString()};
    view.last = {WebTexts::lastPage(), atLast ? QString() : href(last)};
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

WebResponse RankingSite::player(const QByteArray &idText, const QByteArray &query)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,18}$"));
    if (!digits.match(QString::fromLatin1(idText)).hasMatch())
        return message(400, WebTexts::badRequest(),
                       WebTexts::wrongParameter().arg(QStringLiteral("/player/"),
                                                      QStringLiteral("le numéro d'un joueur")));
    if (!query.isEmpty()) {
        const auto items = decodeQuery(query);
        return message(400, WebTexts::badRequest(),
                       items ? WebTexts::unknownParameter().arg(
                           items->isEmpty() ? QString() : items->first().first)
                             : items.reason());
    }
    if (const Result<> opened = open(); !opened)
        return unavailable(opened.reason(), false);
    const auto found = m_store->player(idText.toLongLong());
    if (!found)
        return unavailable(found.reason(), false);
    if (!*found)
        return message(404, QStringLiteral("Introuvable"), WebTexts::noSuchPlayer());
    const Result<qint64> players = m_store->lastPlace();
    if (!players)
        return unavailable(players.reason(), false);
    const Result<std::optional<QDateTime>> updated = m_store->lastUpdate();
    if (!updated)
        return unavailable(updated.reason(), false);

    const DataStats::PlayerStanding &standing = **found;
    PlayerView view;
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
        to.page.order = Ranking::Kills;
        to.page.from = From::Before;
        to.page.key = {standing.row.kills(), standing.row.place + 1};
        view.killsHref = href(to);
    }
    return page(200, WebPages::player(view));
}
