// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/storefailures.h"

#include <QSqlError>
#include <QSqlQuery>

StoreFailures::Failure StoreFailures::fail(const QString &what, const QString &why) const
{
    return {QStringLiteral("%1 (%2): %3").arg(what, m_shown, why)};
}

StoreFailures::Failure StoreFailures::fail(const QString &what, const QSqlQuery &query) const
{
    return fail(what, query.lastError().text());
}
