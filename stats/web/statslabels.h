// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/store/datastats.h"
#include "stats/web/webtexts.h"

#include <QByteArray>
#include <QString>

/**
 * The columns of table Stats as people and tools outside read them: the names players know
 * ("Desert Eagle", "Bombes désamorcées") for the web pages, and stable ASCII keys ("deagle",
 * "bombs_defused") for the JSON and the command line, which never change with the database's
 * own column names. Besides the 33 columns there is one worked out from two of them: kills per
 * death.
 */
namespace StatsLabels {

using Language = WebTexts::Language;

/// The index that stands for kills per death beside StatsColumns' indexes.
inline constexpr int KillsPerDeath = 1000;

/// The stable key of column \a column (a StatsColumns index or KillsPerDeath).
QString key(int column);
/// Column \a column as players name it, in \a language.
QString label(int column, Language language = Language::French);
/// The column whose key is \a key; -1 when none.
int indexOfKey(const QString &key);
/// Kills divided by deaths, the kills alone when there are no deaths, in hundredths: what the
/// pages show with two decimals and sort by.
qint64 killsPerDeath(qint64 kills, qint64 deaths);
/// Kills per death in \a hundredths as text with two decimals, "1.50" (with a decimal comma in
/// French).
QString killsPerDeathText(qint64 hundredths, Language language = Language::French);
/// What \a row holds in column \a column: its place, a counter, or kills per death in hundredths.
qint64 value(const DataStats::PlayerRow &row, int column);

/// The language a browser's Accept-Language header asks for among the two the pages speak:
/// English when it prefers English to French, else French.
Language fromAcceptLanguage(const QByteArray &header);
/// "fr" or "en".
QString code(Language language);

} // namespace StatsLabels
