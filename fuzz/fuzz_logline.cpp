// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A log file's bytes through the counting: its lines as the update run splits them, its
// apostrophes dropped, ParseLogLine, the accumulation and the store, in a transaction that is
// rolled back after each input. The parser's results are compared with the parsing rules applied
// literally, one byte at a time, and the rows with sums worked out from the events alone.

#include "fuzz/fuzzsupport.h"
#include "platform/files/windows1252.h"
#include "stats/analysis/eventaccumulator.h"
#include "stats/analysis/logparser.h"
#include "stats/analysis/logtext.h"
#include "stats/analysis/rankplayers.h"
#include "stats/store/datastats.h"
#include "stats/store/statscolumns.h"

#include <QHash>
#include <QSqlQuery>
#include <QStringDecoder>

#include <map>
#include <optional>
#include <set>

namespace {

/**
 * The parsing rules as they are written: 1-based positions, a failed search gives 0, and a cut
 * with a negative length fails the line. Slow and plain, for comparison with the parser, which
 * scans many bytes at a time.
 */
class ReferenceParser
{
public:
    explicit ReferenceParser(QByteArrayView line) : m_line(line) { }

    std::optional<LogEvent> parse()
    {
        LogEvent event;
        if (find("killed") > 0) {
            const auto first = firstName();
            if (!first)
                return std::nullopt;
            event.Actor = *first;
            const qsizetype s = find("killed") + 8;
            const qsizetype e = find("<", s);
            event.Victim = *cut(s, e != 0 ? e - s : 0);
            const qsizetype w = find("with") + 6;
            const qsizetype q = find("\"", w + 1);
            const auto weapon = cut(w, q - w);
            if (!weapon)
                return std::nullopt;
            event.Weapon = *weapon;
        }
        if (find("suicide") > 0) {
            const auto first = firstName();
            if (!first)
                return std::nullopt;
            event.Victim = *first;
            event.Weapon = "suicide";
        }
        const std::pair<const char *, const char *> objectives[] = {
            {"Rescued_A_Hostage", "Hostage"},
            {"Planted_The_Bomb", "PoseBombe"},
            {"Defused_The_Bomb", "DifuseBombe"},
        };
        for (const auto &[word, weapon] : objectives) {
            if (find(word) > 0) {
                const auto first = firstName();
                if (!first)
                    return std::nullopt;
                event.Actor = *first;
                event.Weapon = weapon;
            }
        }
        return event;
    }

private:
    qsizetype find(const char *text, qsizetype from = 1) const
    {
        const QByteArrayView what(text);
        for (qsizetype at = std::max<qsizetype>(from, 1); at + what.size() - 1 <= m_line.size();
             ++at) {
            if (m_line.sliced(at - 1, what.size()) == what)
                return at;
        }
        return 0;
    }

    std::optional<QByteArrayView> cut(qsizetype start, qsizetype length) const
    {
        if (length < 0)
            return std::nullopt;
        if (length == 0 || start > m_line.size())
            return QByteArrayView();
        return m_line.sliced(start - 1, std::min(length, m_line.size() - start + 1));
    }

    std::optional<QByteArrayView> firstName() const
    {
        const qsizetype s = find("\"") + 1;
        const qsizetype e = find("<");
        return cut(s, e - s);
    }

    QByteArrayView m_line;
};

QString fields(const std::optional<LogEvent> &event)
{
    if (!event)
        return QStringLiteral("malformed");
    return QStringLiteral("actor \"%1\", victim \"%2\", weapon \"%3\"")
        .arg(Fuzz::shown(event->Actor), Fuzz::shown(event->Victim), Fuzz::shown(event->Weapon));
}

bool sameEvent(const std::optional<LogEvent> &a, const std::optional<LogEvent> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || (a->Actor == b->Actor && a->Victim == b->Victim && a->Weapon == b->Weapon);
}

DataStats &store()
{
    static DataStats *stats = [] {
        Fuzz::startApplication();
        auto *opened = new DataStats;
        const Result<> done = opened->open(Fuzz::scratchFolder() + QStringLiteral("/stats.db"));
        Fuzz::require(done.ok(), "the store opens", done.reason());
        return opened;
    }();
    return *stats;
}

/// A name as the accumulation takes it from a file: UTF-8 when it is, Windows-1252 otherwise.
QByteArray decodedName(QByteArrayView raw)
{
    return LogText::isValidUtf8(raw) ? raw.toByteArray() : Windows1252::decode(raw).toUtf8();
}

int column(const char *name)
{
    return StatsColumns::indexOf(name);
}

/// What the rows must add up to, from the events alone.
struct Expected
{
    qint64 kills = 0;
    qint64 deaths = 0;
    qint64 suicides = 0;
    qint64 rescues = 0;
    /// Each player by the folded name, with the spelling first met.
    std::map<QString, QString> spellings;

    void meet(QByteArrayView raw)
    {
        const QString spelling = QString::fromUtf8(CleanPlayerName(decodedName(raw)));
        spellings.try_emplace(DataStats::foldedName(spelling), spelling);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView input = Fuzz::bytes(data, size);

    // The check of valid UTF-8 decides how a name is read: it must agree with Qt's decoder.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(input);
    Fuzz::require(LogText::isValidUtf8(input) == !utf8.hasError(),
                  "the UTF-8 check agrees with Qt's decoder", Fuzz::shown(input));
    // Reading a name as Windows-1252 loses no byte.
    Fuzz::require(Windows1252::encode(Windows1252::decode(input)) == input.toByteArray(),
                  "Windows-1252 decodes and encodes back", Fuzz::shown(input));

    QByteArray text = input.toByteArray();
    text.replace('\'', QByteArray());
    DataStats &stats = store();
    EventAccumulator accumulator(stats);
    Expected expected;
    std::vector<LogEvent> events;
    LogText::forEachLine(text, [&](QByteArrayView line) {
        Fuzz::require(!line.contains('\n') && !line.contains('\r'), "a line holds no line end",
                      Fuzz::shown(line));
        const std::optional<LogEvent> event = ParseLogLine(line);
        const std::optional<LogEvent> wanted = ReferenceParser(line).parse();
        Fuzz::require(sameEvent(event, wanted), "ParseLogLine follows the rules",
                      Fuzz::shown(line) + QStringLiteral("\ngot ") + fields(event)
                          + QStringLiteral("\nwanted ") + fields(wanted));
        if (!event || event->isEmpty())
            return;
        accumulator.AccumulateEvent(*event);
        if (!event->Actor.isEmpty()) {
            expected.meet(event->Actor);
            if (event->Weapon == QByteArrayView("Hostage"))
                ++expected.rescues;
            else
                ++expected.kills;
        }
        if (!event->Victim.isEmpty()) {
            expected.meet(event->Victim);
            ++expected.deaths;
            if (event->Weapon == QByteArrayView("suicide"))
                ++expected.suicides;
        }
    });
    accumulator.endFile();

    const Result<> begun = stats.beginTransaction();
    Fuzz::require(begun.ok(), "a transaction begins", begun.reason());
    const Result<> flushed = accumulator.flush(true);
    Fuzz::require(flushed.ok(), "the counts are written", flushed.reason());
    const Result<> ranked = RankPlayers(stats);
    Fuzz::require(ranked.ok(), "the players are ranked", ranked.reason());

    QSqlQuery query(stats.database());
    query.setForwardOnly(true);
    Fuzz::require(query.exec(QStringLiteral("SELECT * FROM Stats ORDER BY \"Place\"")),
                  "the rows can be read");
    Expected found;
    qint64 rows = 0;
    qint64 lastScore = std::numeric_limits<qint64>::max();
    // Every counter that a kill raises along with Kills.
    const int killColumns[] = {
        column("s1_1_usp"),   column("s1_2_glock18"),  column("s1_3_deagle"),
        column("s1_4_p228"),  column("s1_5_elite"),    column("s1_6_fiveseven"),
        column("p2_1_m3"),    column("p2_2_xm1014"),   column("p3_1_mp5navy"),
        column("p3_2_tmp"),   column("p3_3_p90"),      column("p3_4_mac10"),
        column("p3_5_ump45"), column("p4_1_ak47"),     column("p4_2_sg552"),
        column("p4_3_m4a1"),  column("p4_4_aug"),      column("p4_5_scout"),
        column("p4_6_awp"),   column("p4_7_g3sg1"),    column("p4_8_sg550"),
        column("p5_1_m249"),  column("Couteau"),       column("grenade"),
        column("BombePosée"), column("BombeDesamocée")};
    while (query.next()) {
        ++rows;
        const QString nom = query.value(StatsColumns::Nom).toString();
        auto value = [&](int c) {
            return query.value(c).toLongLong();
        };
        for (int c = StatsColumns::FirstCounter; c < StatsColumns::Count; ++c) {
            if (c != StatsColumns::TotalClass)
                Fuzz::require(value(c) >= 0, "no count is negative",
                              nom + QStringLiteral(": ") + QLatin1String(StatsColumns::names[c]));
        }
        Fuzz::require(value(StatsColumns::TotalClass)
                          == value(StatsColumns::Kills) - value(StatsColumns::Deaths),
                      "a score is the kills less the deaths", Fuzz::shownText(nom));
        qint64 byWeapon = 0;
        for (const int c : killColumns)
            byWeapon += value(c);
        Fuzz::require(byWeapon <= value(StatsColumns::Kills),
                      "no weapon counts more kills than the player has", Fuzz::shownText(nom));
        Fuzz::require(value(column("suicide")) <= value(StatsColumns::Deaths),
                      "no player has more suicides than deaths", Fuzz::shownText(nom));
        Fuzz::require(value(StatsColumns::Place) == rows, "the places run from 1 without a gap",
                      Fuzz::shownText(nom));
        Fuzz::require(value(StatsColumns::TotalClass) <= lastScore, "the places follow the scores",
                      Fuzz::shownText(nom));
        lastScore = value(StatsColumns::TotalClass);
        found.kills += value(StatsColumns::Kills);
        found.deaths += value(StatsColumns::Deaths);
        found.suicides += value(column("suicide"));
        found.rescues += value(column("Hostage"));
        const QString folded = DataStats::foldedName(nom);
        Fuzz::require(!found.spellings.count(folded), "one row per player", Fuzz::shownText(nom));
        found.spellings.emplace(folded, nom);
    }
    stats.rollback();

    Fuzz::require(found.kills == expected.kills, "every kill is counted once",
                  QStringLiteral("%1 counted, %2 in the log").arg(found.kills).arg(expected.kills));
    Fuzz::require(
        found.deaths == expected.deaths, "every death is counted once",
        QStringLiteral("%1 counted, %2 in the log").arg(found.deaths).arg(expected.deaths));
    Fuzz::require(found.suicides == expected.suicides, "every suicide is counted once");
    Fuzz::require(found.rescues == expected.rescues, "every rescue is counted once");
    Fuzz::require(found.spellings == expected.spellings,
                  "each player has a row under the name first met");
    return 0;
}
