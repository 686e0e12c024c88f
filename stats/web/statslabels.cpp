// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/web/statslabels.h"

#include "stats/store/statscolumns.h"

#include <QList>

#include <array>
#include <cmath>

namespace {

struct Label
{
    const char *key;
    WebTexts::Text text;
};

// In table order; the weapons as the game's buy menu names them.
const std::array<Label, StatsColumns::Count> labels {{
    {"place", {u"Place", u"Place"}},
    {"name", {u"Nom", u"Name"}},
    {"kills", {u"Kills", u"Kills"}},
    {"deaths", {u"Morts", u"Deaths"}},
    {"score", {u"Score", u"Score"}},
    {"usp", {u"USP", u"USP"}},
    {"glock18", {u"Glock 18", u"Glock 18"}},
    {"deagle", {u"Desert Eagle", u"Desert Eagle"}},
    {"p228", {u"P228", u"P228"}},
    {"elite", {u"Dual Elites", u"Dual Elites"}},
    {"fiveseven", {u"Five-SeveN", u"Five-SeveN"}},
    {"m3", {u"M3", u"M3"}},
    {"xm1014", {u"XM1014", u"XM1014"}},
    {"mp5navy", {u"MP5 Navy", u"MP5 Navy"}},
    {"tmp", {u"TMP", u"TMP"}},
    {"p90", {u"P90", u"P90"}},
    {"mac10", {u"MAC-10", u"MAC-10"}},
    {"ump45", {u"UMP 45", u"UMP 45"}},
    {"ak47", {u"AK-47", u"AK-47"}},
    {"sg552", {u"SG 552", u"SG 552"}},
    {"m4a1", {u"M4A1", u"M4A1"}},
    {"aug", {u"AUG", u"AUG"}},
    {"scout", {u"Scout", u"Scout"}},
    {"awp", {u"AWP", u"AWP"}},
    {"g3sg1", {u"G3/SG-1", u"G3/SG-1"}},
    {"sg550", {u"SG 550", u"SG 550"}},
    {"m249", {u"M249", u"M249"}},
    {"knife", {u"Couteau", u"Knife"}},
    {"grenade", {u"Grenade", u"Grenade"}},
    {"suicides", {u"Suicides", u"Suicides"}},
    {"hostages_rescued", {u"Otages sauvés", u"Hostages rescued"}},
    {"bombs_planted", {u"Bombes posées", u"Bombs planted"}},
    {"bombs_defused", {u"Bombes désamorcées", u"Bombs defused"}},
}};

const Label killsPerDeathLabel {"kills_per_death", {u"K/D", u"K/D"}};

const Label &labelOf(int column)
{
    if (column == StatsLabels::KillsPerDeath)
        return killsPerDeathLabel;
    return labels.at(std::size_t(column));
}

} // namespace

QString StatsLabels::key(int column)
{
    return QString::fromLatin1(labelOf(column).key);
}

QString StatsLabels::label(int column, Language language)
{
    return labelOf(column).text(language);
}

int StatsLabels::indexOfKey(const QString &key)
{
    for (int c = 0; c < StatsColumns::Count; ++c)
        if (key == QLatin1String(labels[std::size_t(c)].key))
            return c;
    return key == QLatin1String(killsPerDeathLabel.key) ? KillsPerDeath : -1;
}

qint64 StatsLabels::killsPerDeath(qint64 kills, qint64 deaths)
{
    if (deaths <= 0)
        return kills * 100;
    // Rounded half away from zero, as the two decimals shown are.
    return std::llround(double(kills) * 100.0 / double(deaths));
}

QString StatsLabels::killsPerDeathText(qint64 hundredths, Language language)
{
    const qint64 whole = std::llabs(hundredths) / 100;
    const qint64 rest = std::llabs(hundredths) % 100;
    return QStringLiteral("%1%2%3%4")
        .arg(hundredths < 0 ? QStringLiteral("-") : QString())
        .arg(whole)
        .arg(language == Language::English ? QLatin1Char('.') : QLatin1Char(','))
        .arg(rest, 2, 10, QLatin1Char('0'));
}

qint64 StatsLabels::value(const DataStats::PlayerRow &row, int column)
{
    if (column == StatsColumns::Place)
        return row.place;
    if (column == KillsPerDeath)
        return killsPerDeath(row.kills(),
                             row.counters[StatsColumns::Deaths - StatsColumns::FirstCounter]);
    return row.counters[std::size_t(column - StatsColumns::FirstCounter)];
}

StatsLabels::Language StatsLabels::fromAcceptLanguage(const QByteArray &header)
{
    // "fr-CH, fr;q=0.9, en;q=0.8, *;q=0.5": the first language of the highest weight wins.
    double french = -1;
    double english = -1;
    for (const QByteArray &item : header.split(',')) {
        const QList<QByteArray> parts = item.split(';');
        const QByteArray tag = parts.value(0).trimmed().toLower();
        double weight = 1.0;
        for (const QByteArray &parameter : parts.mid(1)) {
            const QByteArray p = parameter.trimmed();
            if (p.startsWith("q=")) {
                bool valid = false;
                weight = p.mid(2).toDouble(&valid);
                if (!valid)
                    weight = 0;
            }
        }
        const QByteArray primary = tag.split('-').value(0);
        if (primary == "fr" && weight > french)
            french = weight;
        else if (primary == "en" && weight > english)
            english = weight;
    }
    return english > 0 && english > french ? Language::English : Language::French;
}

QString StatsLabels::code(Language language)
{
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("fr");
}
