// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/web/webpages.h"

#include "stats/store/statscolumns.h"
#include "stats/web/statslabels.h"
#include "stats/web/webescape.h"
#include "stats/web/webtexts.h"

#include <QLocale>

#include <algorithm>

namespace {

using WebEscape::attribute;
using WebEscape::html;
using Language = WebTexts::Language;

QString head(const QString &title, const QString &styleHref, Language language)
{
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"%3\">\n<head>\n<meta charset=\"utf-8\">\n"
                          "<meta name=\"viewport\" content=\"width=device-width, "
                          "initial-scale=1\">\n<title>%1</title>\n"
                          "<link rel=\"stylesheet\" href=\"%2\">\n</head>\n<body>\n")
        .arg(html(title), attribute(styleHref), StatsLabels::code(language));
}

QLocale locale(Language language)
{
    return QLocale(language == Language::English ? QLocale::English : QLocale::French);
}

QString tail()
{
    return QStringLiteral("</body>\n</html>\n");
}

QString link(const QString &text, const QString &href, const QString &more = {})
{
    if (href.isEmpty())
        return QStringLiteral("<span class=\"off\">%1</span>").arg(html(text));
    return QStringLiteral("<a href=\"%1\"%2>%3</a>").arg(attribute(href), more, html(text));
}

QString number(qint64 n, Language language)
{
    return locale(language).toString(n);
}

QString updated(const std::optional<QDateTime> &when, Language language)
{
    if (!when)
        return QStringLiteral("<p class=\"updated\">%1</p>\n")
            .arg(html(WebTexts::neverUpdated(language)));
    const QDateTime local = when->toLocalTime();
    const QString shown = locale(language).toString(local,
                                                    language == Language::English
                                                        ? QStringLiteral("d MMMM yyyy 'at' HH:mm")
                                                        : QStringLiteral("d MMMM yyyy 'à' HH:mm"));
    return QStringLiteral("<p class=\"updated\">%1</p>\n")
        .arg(WebTexts::updatedAt(language).arg(
            QStringLiteral("<time datetime=\"%1\">%2</time>")
                .arg(attribute(when->toUTC().toString(Qt::ISODate)), html(shown))));
}

/// Column \a column of \a row as a page shows it.
QString shown(const DataStats::PlayerRow &row, int column, Language language)
{
    const qint64 value = StatsLabels::value(row, column);
    return column == StatsLabels::KillsPerDeath ? StatsLabels::killsPerDeathText(value, language)
                                                : QString::number(value);
}

QString orderName(int column, Language language)
{
    if (column == StatsColumns::Place)
        return WebTexts::byPlaces(language);
    return StatsLabels::label(column, language);
}

/// The weapons, the knife and the grenade as horizontal bars, drawn without any script.
QString weaponChart(const DataStats::PlayerRow &row, Language language)
{
    const int firstWeapon = StatsColumns::TotalClass + 1;
    const int lastWeapon = StatsColumns::indexOf("grenade");
    constexpr int labelWidth = 120;
    constexpr int barWidth = 300;
    constexpr int rowHeight = 20;
    constexpr int width = labelWidth + barWidth + 60;
    const int height = (lastWeapon - firstWeapon + 1) * rowHeight + 4;
    qint64 most = 1;
    for (int c = firstWeapon; c <= lastWeapon; ++c)
        most = std::max(most, StatsLabels::value(row, c));
    const QString title = WebTexts::weaponsOf(language).arg(row.nom);
    // Every argument in one pass: a name holding "%1" is text, never a place for the next one.
    QString svg =
        QStringLiteral("<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" "
                       "role=\"img\" aria-label=\"%1\" viewBox=\"0 0 %2 %3\" "
                       "width=\"%2\" height=\"%3\" font-size=\"12\">\n<title>%4</title>\n")
            .arg(attribute(title), QString::number(width), QString::number(height), html(title));
    for (int c = firstWeapon; c <= lastWeapon; ++c) {
        const int y = (c - firstWeapon) * rowHeight + 2;
        const qint64 kills = std::max<qint64>(0, StatsLabels::value(row, c));
        const int bar = int(double(kills) / double(most) * barWidth);
        svg +=
            QStringLiteral("<text x=\"%1\" y=\"%2\" text-anchor=\"end\">%3</text>"
                           "<rect x=\"%4\" y=\"%5\" width=\"%6\" height=\"%7\" "
                           "fill=\"#1f5f99\"/>"
                           "<text x=\"%8\" y=\"%2\">%9</text>\n")
                .arg(QString::number(labelWidth - 6), QString::number(y + 14),
                     html(StatsLabels::label(c, language)), QString::number(labelWidth),
                     QString::number(y + 3), QString::number(bar), QString::number(rowHeight - 6),
                     QString::number(labelWidth + bar + 6), QString::number(kills));
    }
    return svg + QStringLiteral("</svg>\n");
}

} // namespace

const std::vector<int> &WebPages::shownColumns()
{
    static const std::vector<int> columns = [] {
        std::vector<int> all {StatsColumns::Place, StatsColumns::Nom, StatsColumns::Kills,
                              StatsColumns::Deaths, StatsLabels::KillsPerDeath};
        for (int c = StatsColumns::TotalClass; c < StatsColumns::Count; ++c)
            all.push_back(c);
        return all;
    }();
    return columns;
}

QByteArray WebPages::ranking(const RankingView &view)
{
    const Language language = view.language;
    QString page =
        head(WebTexts::ranking(language) + QStringLiteral(" – Tolvane"), view.styleHref, language);
    page += QStringLiteral("<header>\n<h1>%1</h1>\n").arg(html(WebTexts::ranking(language)));
    page += updated(view.updated, language);
    page += QStringLiteral("</header>\n<main>\n");

    const bool byKills = view.column == StatsColumns::Kills;
    const bool byPlaces = view.column == StatsColumns::Place;
    page += QStringLiteral("<nav class=\"order\" aria-label=\"%1\">%2 %3</nav>\n")
                .arg(attribute(WebTexts::orderLabel(language)),
                     link(WebTexts::byPlaces(language), view.placesHref,
                          byPlaces ? QStringLiteral(" aria-current=\"page\"") : QString()),
                     link(WebTexts::byKills(language), view.killsHref,
                          byKills ? QStringLiteral(" aria-current=\"page\"") : QString()));
    if (!view.searchAction.isEmpty()) {
        page += QStringLiteral("<form class=\"search\" role=\"search\" method=\"get\" "
                               "action=\"%1\">\n")
                    .arg(attribute(view.searchAction));
        if (!view.orderKey.isEmpty())
            page += QStringLiteral("<input type=\"hidden\" name=\"by\" value=\"%1\">\n")
                        .arg(attribute(view.orderKey));
        page += QStringLiteral("<label for=\"q\">%1</label>\n<input id=\"q\" name=\"q\" "
                               "type=\"search\" maxlength=\"100\" value=\"%2\">\n"
                               "<label for=\"min\">%3</label>\n<input id=\"min\" name=\"min\" "
                               "type=\"number\" min=\"0\" inputmode=\"numeric\" value=\"%4\">\n"
                               "<button type=\"submit\">%5</button>\n</form>\n")
                    .arg(html(WebTexts::searchLabel(language)), attribute(view.nameStart),
                         html(WebTexts::minimumLabel(language)),
                         view.minKills > 0 ? QString::number(view.minKills) : QString(),
                         html(WebTexts::search(language)));
    }
    QString count = view.players == 1
        ? html(WebTexts::oneRankedPlayer(language))
        : html(WebTexts::rankedPlayers(language).arg(number(view.players, language)));
    if (!view.nameStart.isEmpty() || view.minKills > 0) {
        QStringList which;
        if (!view.nameStart.isEmpty())
            which << QStringLiteral("<bdi>%1</bdi>")
                         .arg(html(WebTexts::namesStartingWith(language).arg(view.nameStart)));
        if (view.minKills > 0)
            which << html(WebTexts::withMinimum(language).arg(number(view.minKills, language)));
        count = which.join(QLatin1Char(' ')) + QStringLiteral(" · ")
            + link(WebTexts::everyone(language), view.everyoneHref);
    }
    page += QStringLiteral("<p class=\"count\">%1</p>\n").arg(count);

    const QString caption = view.pageNumber > 0
        ? WebTexts::caption(language)
              .arg(orderName(view.column, language).toLower())
              .arg(view.pageNumber)
              .arg(view.pageCount)
        : WebTexts::captionWithoutNumber(language).arg(
            byPlaces || byKills ? orderName(view.column, language).toLower()
                                : orderName(view.column, language));
    page += QStringLiteral("<div class=\"table\" role=\"region\" aria-labelledby=\"caption\" "
                           "tabindex=\"0\">\n<table class=\"ranking\">\n"
                           "<caption id=\"caption\">%1</caption>\n<thead><tr>")
                .arg(html(caption));
    const std::vector<int> &columns = shownColumns();
    for (const int c : columns) {
        const QString label = StatsLabels::label(c, language);
        const QString classes =
            c == StatsColumns::Nom ? QStringLiteral("nom") : QStringLiteral("n");
        const auto sort = view.sortHrefs.find(c);
        if (c == view.column) {
            page += QStringLiteral("<th scope=\"col\" class=\"%1 sorted\" aria-sort=\"%2\">%3</th>")
                        .arg(classes,
                             byPlaces ? QStringLiteral("ascending") : QStringLiteral("descending"),
                             html(label));
        } else if (sort != view.sortHrefs.end() && !sort->second.isEmpty()) {
            page += QStringLiteral("<th scope=\"col\" class=\"%1\"><a href=\"%2\" "
                                   "title=\"%3\">%4</a></th>")
                        .arg(classes, attribute(sort->second),
                             attribute(WebTexts::sortBy(language).arg(label)), html(label));
        } else {
            page +=
                QStringLiteral("<th scope=\"col\" class=\"%1\">%2</th>").arg(classes, html(label));
        }
    }
    page += QStringLiteral("</tr></thead>\n<tbody>\n");
    const std::vector<DataStats::PlayerRow> &rows = view.page->rows;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const DataStats::PlayerRow &row = rows[r];
        page += QStringLiteral("<tr>");
        for (const int c : columns) {
            if (c == StatsColumns::Nom) {
                const QString name = QStringLiteral("<bdi>%1</bdi>").arg(html(row.nom));
                const QString href = r < view.playerHrefs.size() ? view.playerHrefs[r] : QString();
                page += QStringLiteral("<th scope=\"row\" class=\"nom\">%1</th>")
                            .arg(href.isEmpty() ? name
                                                : QStringLiteral("<a href=\"%1\">%2</a>")
                                                      .arg(attribute(href), name));
            } else {
                page += QStringLiteral("<td class=\"n\">%1</td>").arg(shown(row, c, language));
            }
        }
        page += QStringLiteral("</tr>\n");
    }
    if (rows.empty())
        page += QStringLiteral("<tr><td colspan=\"%1\">%2</td></tr>\n")
                    .arg(columns.size())
                    .arg(html(WebTexts::noPlayer(language)));
    page += QStringLiteral("</tbody>\n</table>\n</div>\n");

    page += QStringLiteral("<nav class=\"pages\" aria-label=\"%1\">\n")
                .arg(attribute(WebTexts::pages(language)));
    page += link(view.first.text, view.first.href) + QLatin1Char('\n');
    page += link(view.previous.text, view.previous.href, QStringLiteral(" rel=\"prev\""))
        + QLatin1Char('\n');
    for (const WebLink &numbered : view.numbered) {
        if (numbered.href.isEmpty())
            page += QStringLiteral("<span class=\"current\" aria-current=\"page\">%1</span>\n")
                        .arg(html(numbered.text));
        else
            page += QStringLiteral("<a href=\"%1\" aria-label=\"%2\">%3</a>\n")
                        .arg(attribute(numbered.href),
                             attribute(WebTexts::pageNumber(language).arg(numbered.text)),
                             html(numbered.text));
    }
    page +=
        link(view.next.text, view.next.href, QStringLiteral(" rel=\"next\"")) + QLatin1Char('\n');
    page += link(view.last.text, view.last.href) + QStringLiteral("\n</nav>\n</main>\n");
    page += QStringLiteral("<footer><p>Tolvane");
    if (!view.jsonHref.isEmpty())
        page += QStringLiteral(" · ") + link(WebTexts::asJson(language), view.jsonHref);
    page += QStringLiteral("</p></footer>\n") + tail();
    return page.toUtf8();
}

QByteArray WebPages::player(const PlayerView &view)
{
    const Language language = view.language;
    const DataStats::PlayerRow &row = view.standing->row;
    QString page = head(row.nom + QStringLiteral(" – Tolvane"), view.styleHref, language);
    page += QStringLiteral("<header>\n<p class=\"back\">%1</p>\n<h1><bdi>%2</bdi></h1>\n")
                .arg(link(WebTexts::backToRanking(language), view.rankingHref), html(row.nom));
    page += updated(view.updated, language);
    page += QStringLiteral("</header>\n<main>\n<dl class=\"standing\">\n");
    auto standing = [&](qint64 place) {
        return place > 0
            ? html(WebTexts::placeOf(language).arg(place).arg(number(view.players, language)))
            : html(WebTexts::notRanked(language));
    };
    page += QStringLiteral("<div><dt>%1</dt><dd>%2</dd></div>\n")
                .arg(html(WebTexts::place(language)), standing(row.place));
    page += QStringLiteral("<div><dt>%1</dt><dd>%2</dd></div>\n</dl>\n")
                .arg(html(WebTexts::placeByKills(language)), standing(view.standing->killsPlace));
    QStringList links;
    if (!view.placesHref.isEmpty())
        links << link(WebTexts::seeInPlaces(language), view.placesHref);
    if (!view.killsHref.isEmpty())
        links << link(WebTexts::seeInKills(language), view.killsHref);
    if (!links.isEmpty())
        page += QStringLiteral("<p class=\"see\">%1</p>\n").arg(links.join(QStringLiteral(" · ")));

    page += QStringLiteral("<h2 id=\"weapons\">%1</h2>\n<figure aria-labelledby=\"weapons\">\n%2"
                           "</figure>\n")
                .arg(html(WebTexts::weapons(language)), weaponChart(row, language));
    page += QStringLiteral("<h2 id=\"counters\">%1</h2>\n<table class=\"counters\" "
                           "aria-labelledby=\"counters\">\n<tbody>\n")
                .arg(html(WebTexts::counters(language)));
    for (const int c : shownColumns()) {
        if (c == StatsColumns::Nom)
            continue;
        page += QStringLiteral("<tr><th scope=\"row\">%1</th><td class=\"n\">%2</td></tr>\n")
                    .arg(html(StatsLabels::label(c, language)), shown(row, c, language));
    }
    page +=
        QStringLiteral("</tbody>\n</table>\n</main>\n<footer><p>Tolvane</p></footer>\n") + tail();
    return page.toUtf8();
}

QByteArray WebPages::message(int status, const QString &title, const QString &text,
                             const QString &styleHref, Language language)
{
    QString page = head(QStringLiteral("%1 – Tolvane").arg(title), styleHref, language);
    page += QStringLiteral("<main>\n<h1>%1</h1>\n<p>%2</p>\n<p><a href=\"/\">%3</a></p>\n</main>\n")
                .arg(html(QStringLiteral("%1 %2").arg(status).arg(title)), html(text),
                     html(WebTexts::backToRanking(language)));
    return (page + tail()).toUtf8();
}

QByteArray WebPages::styleSheet()
{
    return QByteArrayLiteral(
        ":root { color-scheme: light; }\n"
        "body { margin: 0 auto; max-width: 80rem; padding: 0.5rem 1rem 2rem; "
        "font: 16px/1.4 system-ui, -apple-system, \"Segoe UI\", Roboto, sans-serif; "
        "color: #1a1a1a; background: #fff; }\n"
        "h1 { font-size: 1.6rem; margin: 0.5rem 0 0.2rem; overflow-wrap: anywhere; }\n"
        "h2 { font-size: 1.2rem; margin: 1.5rem 0 0.5rem; }\n"
        "a { color: #0b4f9c; }\n"
        "a:focus-visible, button:focus-visible, input:focus-visible, .table:focus-visible "
        "{ outline: 3px solid #b35900; outline-offset: 2px; }\n"
        ".updated, .count, .back { color: #444; margin: 0.2rem 0; }\n"
        "nav.order, nav.pages, form.search { display: flex; flex-wrap: wrap; gap: 0.4rem 0.8rem; "
        "align-items: center; margin: 0.8rem 0; }\n"
        "nav a, nav span { padding: 0.3rem 0.5rem; min-width: 1.5rem; text-align: center; }\n"
        "nav [aria-current] { font-weight: bold; color: #1a1a1a; border-bottom: 3px solid "
        "#0b4f9c; text-decoration: none; }\n"
        ".off { color: #666; }\n"
        "input[type=search] { font: inherit; padding: 0.3rem; border: 1px solid #767676; "
        "border-radius: 3px; min-width: 12rem; }\n"
        "button { font: inherit; padding: 0.3rem 0.8rem; border: 1px solid #0b4f9c; "
        "border-radius: 3px; background: #0b4f9c; color: #fff; }\n"
        ".table { overflow-x: auto; border: 1px solid #ccc; }\n"
        "table { border-collapse: collapse; font-variant-numeric: tabular-nums; }\n"
        "caption { text-align: left; font-weight: bold; padding: 0.4rem; }\n"
        "th, td { padding: 0.25rem 0.5rem; border-bottom: 1px solid #e2e2e2; white-space: nowrap; "
        "vertical-align: middle; }\n"
        "thead th { background: #eef2f7; font-size: 0.85rem; position: sticky; top: 0; }\n"
        "tbody tr:nth-child(even) { background: #f7f7f7; }\n"
        ".n { text-align: right; }\n"
        ".nom { text-align: left; max-width: 16rem; overflow: hidden; text-overflow: ellipsis; }\n"
        "tbody th { font-weight: normal; }\n"
        "table.ranking .nom { position: sticky; left: 0; background: #fff; }\n"
        "table.ranking thead .nom { background: #eef2f7; z-index: 1; }\n"
        "table.ranking tbody tr:nth-child(even) .nom { background: #f7f7f7; }\n"
        "table.counters th { text-align: left; font-weight: normal; }\n"
        "dl.standing { display: flex; flex-wrap: wrap; gap: 0.5rem 2rem; margin: 0.8rem 0; }\n"
        "dl.standing dt { color: #444; }\n"
        "dl.standing dd { margin: 0; font-size: 1.3rem; font-weight: bold; }\n"
        "figure { margin: 0; }\n"
        "svg.chart { max-width: 100%; height: auto; }\n"
        "svg.chart text { fill: #1a1a1a; }\n"
        "footer { margin-top: 2rem; color: #444; font-size: 0.9rem; }\n"
        "thead th a { color: inherit; }\n"
        "thead th.sorted { border-bottom: 3px solid #0b4f9c; }\n"
        "thead th.sorted::after { content: \" \\25BE\"; }\n"
        "thead th.sorted[aria-sort=ascending]::after { content: \" \\25B4\"; }\n"
        "input[type=number] { font: inherit; padding: 0.3rem; border: 1px solid #767676; "
        "border-radius: 3px; width: 5rem; }\n"
        // A phone: the table scrolls sideways under the name, which stays; the rest wraps.
        "@media (max-width: 40rem) {\n"
        "  body { padding: 0.25rem 0.5rem 1rem; font-size: 15px; }\n"
        "  h1 { font-size: 1.3rem; }\n"
        "  th, td { padding: 0.2rem 0.35rem; }\n"
        "  .nom { max-width: 8.5rem; }\n"
        "  input[type=search] { min-width: 0; flex: 1 1 9rem; }\n"
        "  svg.chart { width: 100%; }\n"
        "}\n");
}
