// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAbstractTableModel>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <array>
#include <list>
#include <vector>

/**
 * One order of the ranking as a table model of all 33 columns. It knows its number of rows
 * from the start and reads them a page at a time, only the pages shown: a grid over six
 * hundred thousand players opens at once and reaches its last row in one step. Each page is
 * read to its end and the query closed, so that an open grid never holds a lock that would keep
 * an update waiting.
 */
class RankingSource final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RankingSource)

public:
    /// Pages through \a query (an ordered SELECT of the 33 columns) on \a database, whose rows
    /// \a countQuery counts.
    RankingSource(QSqlDatabase database, QString query, QString countQuery,
                  QObject *parent = nullptr);

    /// Reads the number of rows afresh and forgets every page read; false on a read failure.
    bool open();
    /// Forgets everything until the next open().
    void close();
    bool isOpen() const { return m_open; }
    QString errorString() const { return m_error; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    static constexpr int pageSize = 256;
    static constexpr std::size_t pagesKept = 64;
    using Row = std::array<QVariant, 33>;
    struct Page
    {
        int number;
        std::vector<Row> rows;
    };

    const Page *page(int number) const;

    QSqlDatabase m_database;
    QString m_query;
    QString m_countQuery;
    int m_rows = 0;
    bool m_open = false;
    mutable QString m_error;
    mutable std::list<Page> m_pages; // most recently used first
};
