// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/store/datastats.h"
#include "stats/store/statscolumns.h"
#include "stats/web/webtexts.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <map>
#include <optional>
#include <vector>

/** A link of a page; without a target it is shown as plain text (the page itself, an end). */
struct WebLink
{
    QString text;
    QString href;
};

/** Everything a page of the ranking shows, its links made by whoever serves it. */
struct RankingView
{
    WebTexts::Language language = WebTexts::Language::French;
    DataStats::Ranking order = DataStats::Ranking::Places;
    int column = StatsColumns::Place; ///< the column the rows are sorted by
    qint64 minKills = 0; ///< only players with at least so many kills are listed
    std::map<int, QString> sortHrefs; ///< per column, the page sorted by it; none: not sortable
    QString orderKey; ///< what the search form keeps of the order: the parameter "by"
    QString nameStart; ///< the text searched; empty for every player
    const DataStats::RankingPage *page = nullptr;
    std::vector<QString> playerHrefs; ///< one per row; empty: the row has no page
    qint64 players = 0; ///< ranked players in all
    std::optional<QDateTime> updated;
    QString placesHref; ///< the same rows by places
    QString killsHref; ///< and by kills
    QString everyoneHref; ///< the same order without the search and the least kills
    WebLink first, previous, next, last;
    std::vector<WebLink> numbered; ///< pages by number, where the order has them
    int pageNumber = 0; ///< 0: the pages have no numbers
    int pageCount = 0;
    QString searchAction; ///< where the search form goes; empty: no form
    QString jsonHref; ///< empty: no link
    QString styleHref;
};

/** Everything a player's page shows. */
struct PlayerView
{
    WebTexts::Language language = WebTexts::Language::French;
    const DataStats::PlayerStanding *standing = nullptr;
    qint64 players = 0;
    std::optional<QDateTime> updated;
    QString rankingHref;
    QString placesHref; ///< the player's page of the ranking by places; empty: none
    QString killsHref;
    QString styleHref;
};

/**
 * The pages of the ranking, drawn from data alone: plain HTML and CSS that need no script,
 * every player name and searched text escaped for the place it appears in.
 */
namespace WebPages {

QByteArray ranking(const RankingView &view);
QByteArray player(const PlayerView &view);
/// A short page for a status other than 200.
QByteArray message(int status, const QString &title, const QString &text, const QString &styleHref,
                   WebTexts::Language language = WebTexts::Language::French);
QByteArray styleSheet();
/// The columns of a ranking page's table, in the order shown: StatsColumns' indexes, kills per
/// death after the deaths.
const std::vector<int> &shownColumns();

} // namespace WebPages
