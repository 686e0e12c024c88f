// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/statscheck.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr qsizetype shownDifferences = 12;

} // namespace

StatsCheck::StatsCheck(const ExpectedStats &expected) : m_expected(expected) { }

void StatsCheck::differ(const QString &what)
{
    if (++m_differenceCount <= shownDifferences)
        m_differences << what;
}

QStringList StatsCheck::differences() const
{
    QStringList shown = m_differences;
    if (m_differenceCount > shownDifferences)
        shown << QStringLiteral("... %1 differences in all").arg(m_differenceCount);
    return shown;
}

bool StatsCheck::matches(const QString &databasePath)
{
    m_differences.clear();
    m_differenceCount = 0;
    m_rowsRead = 0;
    const QString connection = QStringLiteral("statscheck");
    {
        // A database on a server is named by its address, its password from PGPASSWORD.
        const QUrl address(databasePath);
        const bool onServer = address.scheme() == QLatin1String("postgresql")
            || address.scheme() == QLatin1String("postgres");
        QSqlDatabase db = QSqlDatabase::addDatabase(
            onServer ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), connection);
        if (onServer) {
            db.setHostName(address.host());
            db.setPort(address.port(5432));
            db.setUserName(address.userName());
            db.setDatabaseName(address.path().mid(1));
        } else {
            db.setDatabaseName(databasePath);
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        }
        if (db.open()) {
            QStringList names {QStringLiteral("\"Place\""), QStringLiteral("\"Nom\"")};
            for (const char *column : ExpectedStats::columns())
                names << QLatin1Char('"') + QString::fromUtf8(column) + QLatin1Char('"');
            QSqlQuery query(db);
            query.setForwardOnly(true);
            if (query.exec(QStringLiteral("SELECT %1 FROM \"Stats\"").arg(names.join(u", "))))
                compareRows(query);
            else
                differ(QStringLiteral("cannot read table Stats: %1").arg(query.lastError().text()));
        } else {
            differ(QStringLiteral("cannot open %1: %2").arg(databasePath, db.lastError().text()));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return m_differenceCount == 0;
}

void StatsCheck::compareRows(QSqlQuery &query)
{
    const auto &columns = ExpectedStats::columns();
    std::vector<bool> seen(std::size_t(m_expected.rowCount()), false);
    std::vector<std::pair<qint64, qint64>> places; // (Place, TotalClass)
    places.reserve(seen.size());
    while (query.next()) {
        ++m_rowsRead;
        const QByteArray nom = query.value(1).toString().toUtf8();
        bool placed = false;
        const qint64 place = query.value(0).toLongLong(&placed);
        places.emplace_back(placed ? place : -1,
                            query.value(2 + ExpectedStats::TotalClass).toLongLong());
        const qsizetype index = m_expected.indexOf(nom);
        if (index < 0) {
            differ(QStringLiteral("unexpected row \"%1\"").arg(QString::fromUtf8(nom)));
            continue;
        }
        const ExpectedStats::Row &row = m_expected.row(index);
        if (seen[std::size_t(index)]) {
            differ(QStringLiteral("a second row for \"%1\": \"%2\"")
                       .arg(QString::fromUtf8(row.nom), QString::fromUtf8(nom)));
            continue;
        }
        seen[std::size_t(index)] = true;
        if (nom != row.nom)
            differ(QStringLiteral("row \"%1\" is named \"%2\"")
                       .arg(QString::fromUtf8(row.nom), QString::fromUtf8(nom)));
        for (int c = 0; c < ExpectedStats::CounterCount; ++c) {
            const qint64 value = query.value(2 + c).toLongLong();
            if (value != row.counters[std::size_t(c)])
                differ(
                    QStringLiteral("%1 of \"%2\": %3, expected %4")
                        .arg(QString::fromUtf8(columns[std::size_t(c)]), QString::fromUtf8(row.nom))
                        .arg(value)
                        .arg(row.counters[std::size_t(c)]));
        }
    }
    if (query.lastError().isValid())
        differ(QStringLiteral("reading table Stats failed: %1").arg(query.lastError().text()));
    if (m_rowsRead != m_expected.rowCount())
        differ(QStringLiteral("%1 rows, expected %2").arg(m_rowsRead).arg(m_expected.rowCount()));
    for (std::size_t i = 0; i < seen.size(); ++i) {
        if (!seen[i])
            differ(QStringLiteral("no row for \"%1\"")
                       .arg(QString::fromUtf8(m_expected.row(qsizetype(i)).nom)));
    }
    checkPlaces(std::move(places));
}

void StatsCheck::checkPlaces(std::vector<std::pair<qint64, qint64>> places)
{
    std::sort(places.begin(), places.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (places[i].first != qint64(i) + 1) {
            differ(QStringLiteral("places do not run 1..%1: place %2 where %3 belongs")
                       .arg(places.size())
                       .arg(places[i].first)
                       .arg(i + 1));
            return;
        }
        if (i > 0 && places[i].second > places[i - 1].second) {
            differ(QStringLiteral("place %1 has TotalClass %2, above place %3 (%4)")
                       .arg(i + 1)
                       .arg(places[i].second)
                       .arg(i)
                       .arg(places[i - 1].second));
            return;
        }
    }
}
