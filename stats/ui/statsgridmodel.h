// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QIdentityProxyModel>

/**
 * What the grid shows of a ranking source: the column names of table Stats as captions, the
 * values read-only, Nom left-aligned and every other column right-aligned, all vertically centred.
 */
class StatsGridModel final : public QIdentityProxyModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatsGridModel)

public:
    explicit StatsGridModel(QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
};
