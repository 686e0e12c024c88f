// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "bench/expectedstats.h"

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class QSqlQuery;

/**
 * Compares table Stats of a database, opened read-only, with the counters the logs must have
 * given: every row, every counter, the number of rows, and that Place runs 1..n by TotalClass
 * descending (players with equal scores in any order).
 */
class StatsCheck
{
public:
    explicit StatsCheck(const ExpectedStats &expected);

    /// True when the table holds exactly the expected rows; otherwise differences() says how
    /// it does not.
    bool matches(const QString &databasePath);
    /// The first differences found (at most a dozen), then how many there were in all.
    QStringList differences() const;
    qsizetype rowsRead() const { return m_rowsRead; }

private:
    void compareRows(QSqlQuery &query);
    void checkPlaces(std::vector<std::pair<qint64, qint64>> places);
    void differ(const QString &what);

    const ExpectedStats &m_expected;
    QStringList m_differences;
    qsizetype m_differenceCount = 0;
    qsizetype m_rowsRead = 0;
};
