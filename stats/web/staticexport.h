#pragma once

#include "platform/result/result.h"

#include <QString>

class DataStats;

/**
 * The ranking as static files, for operators whose site is hosted elsewhere: the first pages of
 * both orders ("index.html" and "places-N.html", "kills-N.html"), the pages of the best
 * players ("player/ID.html") and "style.css", linked to one another by relative links.
 *
 * The set is written into a new folder beside the target and swapped with the previous set in
 * one step, so that a site never shows half of one set and half of another. A folder that holds
 * anything but such a set is never replaced.
 */
class StaticExport
{
public:
    static constexpr int pagesPerOrder = 10;
    static constexpr int playerPages = 1000;
    /// The file that marks a folder as a set written here, which the next set may replace.
    static QString markerName();

    explicit StaticExport(DataStats &store);

    /// Writes the set into \a folder; the number of files written.
    Result<int> write(const QString &folder);

private:
    DataStats &m_store;
};
