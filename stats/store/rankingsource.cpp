// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/rankingsource.h"

#include "stats/store/statscolumns.h"

#include <QSqlError>
#include <QSqlQuery>

RankingSource::RankingSource(QSqlDatabase database, QString query, QString countQuery,
                             QObject *parent)
    : QAbstractTableModel(parent), m_database(std::move(database)), m_query(std::move(query)),
      m_countQuery(std::move(countQuery))
{ }

bool RankingSource::open()
{
    beginResetModel();
    m_pages.clear();
    m_rows = 0;
    m_open = false;
    QSqlQuery count(m_database);
    if (count.exec(m_countQuery) && count.next()) {
        m_rows = count.value(0).toInt();
        m_open = true;
        m_error.clear();
    } else {
        m_error = count.lastError().text();
    }
    endResetModel();
    return m_open;
}

void RankingSource::close()
{
    beginResetModel();
    m_pages.clear();
    m_rows = 0;
    m_open = false;
    endResetModel();
}

int RankingSource::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int RankingSource::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : StatsColumns::Count;
}

const RankingSource::Page *RankingSource::page(int number) const
{
    for (auto it = m_pages.begin(); it != m_pages.end(); ++it) {
        if (it->number == number) {
            m_pages.splice(m_pages.begin(), m_pages, it);
            return &m_pages.front();
        }
    }
    Page read {number, {}};
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("%1 LIMIT %2 OFFSET %3")
                        .arg(m_query)
                        .arg(pageSize)
                        .arg(qint64(number) * pageSize))) {
        m_error = query.lastError().text();
        return nullptr;
    }
    while (query.next()) {
        Row row;
        for (int c = 0; c < StatsColumns::Count; ++c)
            row[std::size_t(c)] = query.value(c);
        read.rows.push_back(std::move(row));
    }
    query.finish();
    m_pages.push_front(std::move(read));
    if (m_pages.size() > pagesKept)
        m_pages.pop_back();
    return &m_pages.front();
}

QVariant RankingSource::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows)
        return {};
    const Page *rows = page(index.row() / pageSize);
    const auto row = std::size_t(index.row() % pageSize);
    if (!rows || row >= rows->rows.size())
        return {};
    return rows->rows[row][std::size_t(index.column())];
}

QVariant RankingSource::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
        && section < StatsColumns::Count) {
        const std::string_view name = StatsColumns::names[std::size_t(section)];
        return QString::fromUtf8(name.data(), qsizetype(name.size()));
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
