// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"

#include <QString>

class DataStats;

/**
 * The ranking as static files, for operators whose site is hosted elsewhere: the first pages of
 * both orders ("index.html" and "places-N.html", "kills-N.html"), the pages of the best
 * players ("player/ID.html") and "style.css", linked to one another by relative links.
 *
 * The folder may hold other files (a git repository, a CNAME, a robots.txt, files of its own
 * under "player/"): the set lists its own files in listName(), and the next set replaces those
 * and nothing else. A name of the set that is taken by a file the set did not write is refused
 * before anything is written. A new folder appears whole in one step; in a folder that exists,
 * each file is replaced whole, every page after the pages it links to, and the pages that left
 * the set go last, so that a reader never meets a half-written page or a broken link.
 */
class StaticExport
{
public:
    static constexpr int pagesPerOrder = 10;
    static constexpr int playerPages = 1000;
    /// The file that lists the files of the set, those the next set may replace.
    static QString listName();

    explicit StaticExport(DataStats &store);

    /// Writes the set into \a folder; the number of files written.
    Result<int> write(const QString &folder);

private:
    DataStats &m_store;
};
