// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/analysis/eventaccumulator.h"
#include "stats/store/datastats.h"
#include "stats/tests/statstestsupport.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using StatsTest::row;

namespace {

/// An event as text; the accumulator takes the bytes of a log line.
struct Event
{
    QString actor;
    QString victim;
    QString weapon;
};

} // namespace

Q_DECLARE_METATYPE(Event)

class TestEventAccumulator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void raisesTheWeaponColumn_data();
    void raisesTheWeaponColumn();
    void scoresEachKindOfEvent_data();
    void scoresEachKindOfEvent();
    void sumsAPlayersEvents();
    void foldsLetterCaseInEveryAlphabet_data();
    void foldsLetterCaseInEveryAlphabet();
    void countsCleanedNamesOnOneRow();
    void continuesRowsOfEarlierRuns();

private:
    void apply(const QList<Event> &events);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<DataStats> m_store;
};

void TestEventAccumulator::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_store = std::make_unique<DataStats>();
    const Result<> opened = m_store->open(m_dir->filePath("Stats.db"));
    QVERIFY2(opened, qPrintable(opened.reason()));
}

void TestEventAccumulator::cleanup()
{
    m_store.reset();
    m_dir.reset();
}

void TestEventAccumulator::apply(const QList<Event> &events)
{
    EventAccumulator accumulator(*m_store);
    for (const Event &event : events) {
        const QByteArray actor = event.actor.toUtf8();
        const QByteArray victim = event.victim.toUtf8();
        const QByteArray weapon = event.weapon.toUtf8();
        accumulator.AccumulateEvent(LogEvent {actor, victim, weapon});
    }
    accumulator.endFile();
    QVERIFY(m_store->beginTransaction());
    const Result<> flushed = accumulator.flush();
    QVERIFY2(flushed, qPrintable(flushed.reason()));
    QVERIFY(m_store->commit());
}

void TestEventAccumulator::raisesTheWeaponColumn_data()
{
    QTest::addColumn<QString>("weapon");
    QTest::addColumn<QString>("column");
    const QList<std::pair<const char *, const char *>> table = {
        {"ak47", "p4_1_ak47"},
        {"aug", "p4_4_aug"},
        {"awp", "p4_6_awp"},
        {"deagle", "s1_3_deagle"},
        {"elite", "s1_5_elite"},
        {"g3sg1", "p4_7_g3sg1"},
        {"glock18", "s1_2_glock18"},
        {"grenade", "grenade"},
        {"knife", "Couteau"},
        {"m249", "p5_1_m249"},
        {"m3", "p2_1_m3"},
        {"m4a1", "p4_3_m4a1"},
        {"mp5navy", "p3_1_mp5navy"},
        {"p228", "s1_4_p228"},
        {"p90", "p3_3_p90"},
        {"scout", "p4_5_scout"},
        {"sg550", "p4_8_sg550"},
        {"sg552", "p4_2_sg552"},
        {"tmp", "p3_2_tmp"},
        {"ump45", "p3_5_ump45"},
        {"usp", "s1_1_usp"},
        {"xm1014", "p2_2_xm1014"},
        {"fiveseven", "s1_6_fiveseven"},
        {"mac10", "p3_4_mac10"},
    };
    for (const auto &[weapon, column] : table)
        QTest::newRow(weapon) << weapon << column;
    QTest::newRow("Knife, other case") << "Knife"
                                       << "";
    QTest::newRow("famas, not listed") << "famas"
                                       << "";
    QTest::newRow("empty weapon") << ""
                                  << "";
}

void TestEventAccumulator::raisesTheWeaponColumn()
{
    QFETCH(QString, weapon);
    QFETCH(QString, column);
    apply({{"Killer", "Victim", weapon}});
    const QVariantMap killer = row(*m_store, "Killer");
    QCOMPARE(killer.value("Kills").toInt(), 1);
    QCOMPARE(killer.value("TotalClass").toInt(), 1);
    QCOMPARE(killer.value("Deaths").toInt(), 0);
    for (int c = StatsColumns::TotalClass + 1; c < StatsColumns::Count; ++c) {
        const QString name = QString::fromUtf8(StatsColumns::names[std::size_t(c)]);
        QCOMPARE(killer.value(name).toInt(), name == column ? 1 : 0);
    }
    const QVariantMap victim = row(*m_store, "Victim");
    QCOMPARE(victim.value("Deaths").toInt(), 1);
    QCOMPARE(victim.value("TotalClass").toInt(), -1);
    QCOMPARE(victim.value("Kills").toInt(), 0);
}

void TestEventAccumulator::scoresEachKindOfEvent_data()
{
    QTest::addColumn<Event>("event");
    QTest::addColumn<QString>("player");
    QTest::addColumn<QVariantMap>("expected");
    QTest::addColumn<int>("rows");
    QTest::newRow("suicide")
        << Event {"", "Neo", "suicide"} << "Neo"
        << QVariantMap {{"Kills", 0}, {"Deaths", 1}, {"TotalClass", -1}, {"suicide", 1}} << 1;
    QTest::newRow("hostage rescue")
        << Event {"Neo", "", "Hostage"} << "Neo"
        << QVariantMap {{"Kills", 0}, {"TotalClass", 0}, {"Hostage", 1}} << 1;
    QTest::newRow("bomb planted")
        << Event {"Neo", "", "PoseBombe"} << "Neo"
        << QVariantMap {{"Kills", 1}, {"TotalClass", 1}, {"BombePosée", 1}, {"Deaths", 0}} << 1;
    QTest::newRow("bomb defused") << Event {"Neo", "", "DifuseBombe"} << "Neo"
                                  << QVariantMap {{"Kills", 1},
                                                  {"TotalClass", 1},
                                                  {"BombeDesamocée", 1}}
                                  << 1;
    QTest::newRow("kill with empty victim")
        << Event {"Neo", "", "awp"} << "Neo" << QVariantMap {{"Kills", 1}, {"p4_6_awp", 1}} << 1;
    QTest::newRow("killer and victim alike")
        << Event {"Neo", "neo", "suicide"} << "Neo"
        << QVariantMap {{"Kills", 1}, {"Deaths", 1}, {"TotalClass", 0}, {"suicide", 1}} << 1;
    QTest::newRow("name emptied by the clean-up")
        << Event {"(1)", "", "PoseBombe"} << "" << QVariantMap {{"Kills", 1}} << 1;
    QTest::newRow("no event") << Event {"", "", "awp"} << "" << QVariantMap {} << 0;
}

void TestEventAccumulator::scoresEachKindOfEvent()
{
    QFETCH(Event, event);
    QFETCH(QString, player);
    QFETCH(QVariantMap, expected);
    QFETCH(int, rows);
    apply({event});
    QCOMPARE(StatsTest::rowCount(*m_store), rows);
    const QVariantMap values = row(*m_store, player);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(values.value(it.key()).toInt(), it.value().toInt());
}

void TestEventAccumulator::sumsAPlayersEvents()
{
    apply({{"Neo", "A", "ak47"}, {"B", "Neo", "awp"}, {"Neo", "B", "knife"}});
    apply({{"Neo", "C", "knife"}, {"", "Neo", "suicide"}});
    const QVariantMap neo = row(*m_store, "Neo");
    QCOMPARE(neo.value("Kills").toInt(), 3);
    QCOMPARE(neo.value("Deaths").toInt(), 2);
    QCOMPARE(neo.value("TotalClass").toInt(), 1);
    QCOMPARE(neo.value("Couteau").toInt(), 2);
    QCOMPARE(neo.value("suicide").toInt(), 1);
    QCOMPARE(neo.value("Place").toInt(), 0);
    QCOMPARE(StatsTest::rowCount(*m_store), 4);
}

void TestEventAccumulator::foldsLetterCaseInEveryAlphabet_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("ascii") << "Blah"
                           << "BLAH";
    QTest::newRow("latin accents") << "Élodie"
                                   << "éLODIE";
    QTest::newRow("cyrillic") << "Дуст"
                              << "дУСТ";
    QTest::newRow("greek") << "Σίσυφος"
                           << "σίσυφοσ";
}

void TestEventAccumulator::foldsLetterCaseInEveryAlphabet()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    apply({{first, "X", "awp"}});
    apply({{second, "X", "awp"}, {"", second, "suicide"}});
    QCOMPARE(StatsTest::rowCount(*m_store), 2);
    const QVariantMap player = row(*m_store, first);
    QCOMPARE(player.value("Nom").toString(), first);
    QCOMPARE(player.value("Kills").toInt(), 2);
    QCOMPARE(player.value("Deaths").toInt(), 1);
}

void TestEventAccumulator::countsCleanedNamesOnOneRow()
{
    apply({{"(1)Blah", "X", "awp"}, {"[PRO]Blah", "X", "awp"}, {"Blah (2)", "X", "awp"}});
    QCOMPARE(StatsTest::rowCount(*m_store), 2);
    QCOMPARE(row(*m_store, "Blah").value("Kills").toInt(), 3);
}

void TestEventAccumulator::continuesRowsOfEarlierRuns()
{
    apply({{"Neo", "Trin", "usp"}});
    apply({{"Neo", "Trin", "usp"}});
    QCOMPARE(StatsTest::rowCount(*m_store), 2);
    QCOMPARE(row(*m_store, "Neo").value("s1_1_usp").toInt(), 2);
    QCOMPARE(row(*m_store, "Trin").value("TotalClass").toInt(), -2);
}

QTEST_GUILESS_MAIN(TestEventAccumulator)
#include "test_eventaccumulator.moc"
