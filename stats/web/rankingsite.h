// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"
#include "stats/store/datastats.h"
#include "stats/store/statscolumns.h"
#include "stats/web/columnorder.h"
#include "stats/web/webrequest.h"
#include "stats/web/webresponse.h"
#include "stats/web/webtexts.h"

#include <QString>

#include <functional>
#include <memory>

/**
 * The ranking on the web, read-only: "/" the ranking by places or by kills a page at a time,
 * with a search by the start of a name; "/player/<id>" one player; "/ranking.json" a page's rows
 * for other tools; "/style.css". Unknown paths answer 404, wrong parameters 400, and a database
 * that cannot be read 503, after which the next request opens it afresh: the site never stops.
 * The errors of "/ranking.json" are in JSON too.
 *
 * Parameters of "/" and "/ranking.json": by=places|kills|COLUMN (COLUMN: the key of any counter
 * or of kills per death, as the JSON names it, sorted highest first), q=TEXT (names that start
 * with it, in any letter case), min=KILLS (players with at least so many kills, who keep their
 * places), and at most one of after=KEY, before=KEY (KEY: the place by places, "VALUE,PLACE" by
 * a column) and last=1. The pages speak French unless the browser prefers English.
 *
 * The orders by places and by kills are read through their indexes; the others, and any order
 * with a least number of kills, from a ColumnOrder built once per change of the statistics.
 */
class RankingSite
{
public:
    static constexpr int pageSize = 100;
    static constexpr int longestSearch = 100;
    /// The most players a search sorted by another column than places or kills may find.
    static constexpr int mostFoundToSort = 5000;
    /// The version of the JSON's layout, raised when a key changes meaning or goes.
    static constexpr int jsonFormat = 1;

    /// Serves the database at \a databasePath, which it opens read-only when first asked.
    explicit RankingSite(QString databasePath);
    ~RankingSite();
    RankingSite(const RankingSite &) = delete;
    RankingSite &operator=(const RankingSite &) = delete;

    /// Opens the database now; why it cannot, if so (the pages then answer 503 until it can).
    Result<> open();
    /// Reads ahead, between requests, what a player's page needs after the ranking changed: the
    /// order by kills.
    void readAhead();
    WebResponse handle(const WebRequest &request);

    /// What a ranking page shows, as its parameters say.
    struct Parameters
    {
        DataStats::PageRequest page;
        int column = StatsColumns::Place; ///< the column sorted by
        qint64 minKills = 0;
        bool json = false;
    };
    /// The link to the ranking page (or its JSON) that \a parameters ask for.
    static QString href(const Parameters &parameters);

    using SharedKillsOrder = ColumnOrder::Shared;
    /// Where a player's page finds the order by kills that places the player, shared with other
    /// sites: when \a source gives none, or not yet as far as the player, the player is placed by
    /// a count in the database.
    /// Without a source, the site keeps an order of its own.
    void shareKillsOrder(std::function<SharedKillsOrder(DataStats &store)> source)
    {
        m_sharedKillsOrder = std::move(source);
    }

private:
    using Language = WebTexts::Language;
    WebResponse ranking(const QByteArray &query, bool json, Language language);
    WebResponse player(const QByteArray &idText, const QByteArray &query, Language language);
    /// The page \a asked names, from the order of its column.
    Result<DataStats::RankingPage> orderedPage(const Parameters &asked);
    /// 503, as a page or, for tools that read JSON, in JSON.
    WebResponse unavailable(const QString &reason, bool json, Language language);
    static WebResponse page(int status, const QByteArray &body);
    /// An error, as a page or in JSON: {"status": 400, "error": "..."}.
    static WebResponse message(int status, const QString &title, const QString &text,
                               bool json = false, Language language = Language::French);

    QString m_path;
    std::unique_ptr<DataStats> m_store;
    ColumnOrder m_orders;
    /// The order by kills alone, which places each player of a player's page: a look-up in it
    /// rather than a count of the players with as many kills, tens of thousands at times.
    ColumnOrder m_killsOrder;
    std::function<SharedKillsOrder(DataStats &store)> m_sharedKillsOrder;
};
