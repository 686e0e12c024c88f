// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/store/datastats.h"
#include "stats/web/pagecache.h"

#include <QString>

#include <memory>

/**
 * Moves a PageCache to its next generation whenever the statistics change, from one read-only
 * connection of its own, checked before each request is answered: once a commit, however many
 * threads answer. A database that cannot be read counts as changed, so that nothing kept is
 * sent for it.
 */
class ChangeWatcher
{
public:
    ChangeWatcher(QString databasePath, PageCache &cache);
    ChangeWatcher(const ChangeWatcher &) = delete;
    ChangeWatcher &operator=(const ChangeWatcher &) = delete;

    void check();

private:
    QString m_path;
    PageCache &m_cache;
    std::unique_ptr<DataStats> m_store;
    /// How many times the database was opened: a new connection counts its changes afresh.
    int m_opened = 0;
    QString m_mark;
};
