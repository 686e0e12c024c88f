// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/ui/statsgridmodel.h"

#include "stats/store/statscolumns.h"

StatsGridModel::StatsGridModel(QObject *parent) : QIdentityProxyModel(parent) { }

namespace {

int columnAlignment(int column)
{
    return int((column == StatsColumns::Nom ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
}

} // namespace

QVariant StatsGridModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return columnAlignment(index.column());
    return QIdentityProxyModel::data(index, role);
}

QVariant StatsGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    // The captions are the column names as the table spells them, whatever the database
    // driver reports for the columns of a view.
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
        && section < StatsColumns::Count) {
        const std::string_view name = StatsColumns::names[std::size_t(section)];
        return QString::fromUtf8(name.data(), qsizetype(name.size()));
    }
    // Captions align as their columns do.
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return columnAlignment(section);
    return QIdentityProxyModel::headerData(section, orientation, role);
}

Qt::ItemFlags StatsGridModel::flags(const QModelIndex &index) const
{
    return QIdentityProxyModel::flags(index) & ~Qt::ItemIsEditable;
}
