// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/web/changewatcher.h"

ChangeWatcher::ChangeWatcher(QString databasePath, PageCache &cache)
    : m_path(std::move(databasePath)), m_cache(cache)
{ }

void ChangeWatcher::check()
{
    if (!m_store) {
        m_store = std::make_unique<DataStats>();
        if (const Result<> opened = m_store->open(m_path, DataStats::Access::ReadOnly); opened)
            ++m_opened;
        else
            m_store.reset();
    }
    const Result<QString> mark =
        m_store ? m_store->changeMark() : Result<QString>::failure(QString());
    if (!mark) {
        // Opened afresh next time: the file may have been replaced or repaired meanwhile.
        m_store.reset();
        m_mark.clear();
        m_cache.advance();
        return;
    }
    const QString now = QString::number(m_opened) + QLatin1Char(' ') + *mark;
    if (now != m_mark) {
        m_mark = now;
        m_cache.advance();
    }
}
