// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/analysis/logparser.h"

#include <QTest>

class TestLogParser : public QObject
{
    Q_OBJECT

private slots:
    void parsesLines_data();
    void parsesLines();
    void findsWordsWhereverTheyStand_data();
    void findsWordsWhereverTheyStand();
    void cleansNames_data();
    void cleansNames();
};

void TestLogParser::parsesLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("malformed");
    QTest::addColumn<QString>("actor");
    QTest::addColumn<QString>("victim");
    QTest::addColumn<QString>("weapon");

    const QString t = "L 08/05/2013 - 20:53:51: ";
    QTest::newRow("kill") << t
            + R"("Heather<10><BOT><TERRORIST>" killed "Blah<8><STEAM_0:0:1><CT>" with "mp5navy")"
                          << false << "Heather"
                          << "Blah"
                          << "mp5navy";
    QTest::newRow("kill, victim without <")
        << t + R"("Heather<10><BOT><T>" killed "Blah" with "awp")" << false << "Heather"
        << ""
        << "awp";
    QTest::newRow("suicide with world")
        << t + R"("L33t B0t<9><BOT><CT>" committed suicide with "world")" << false << ""
        << "L33t B0t"
        << "suicide";
    QTest::newRow("hostage rescue")
        << t + R"("Neo<3><STEAM_1><CT>" triggered "Rescued_A_Hostage")" << false << "Neo"
        << ""
        << "Hostage";
    QTest::newRow("bomb planted") << t
            + R"("Neo<3><STEAM_1><TERRORIST>" triggered "Planted_The_Bomb")"
                                  << false << "Neo"
                                  << ""
                                  << "PoseBombe";
    QTest::newRow("bomb defused") << t + R"("Trin<4><STEAM_2><CT>" triggered "Defused_The_Bomb")"
                                  << false << "Trin"
                                  << ""
                                  << "DifuseBombe";
    QTest::newRow("Killed with a capital is no kill")
        << t + R"("A<1><BOT><CT>" Killed "B<2><BOT><T>" with "awp")" << false << ""
        << ""
        << "";
    QTest::newRow("team bomb line is nothing")
        << t + R"(Team "CT" triggered "Bomb_Defused" (CT "8") (T "3"))" << false << ""
        << ""
        << "";
    QTest::newRow("chat that says killed")
        << t + R"("Neo<3><STEAM_1><CT>" say "I killed "him<" with "it")" << false << "Neo"
        << "him"
        << "it";
    QTest::newRow("with inside the killer's name")
        << t + R"("withers<1><BOT><CT>" killed "B<2><BOT><T>" with "awp")" << false << "withers"
        << "B"
        << "s<1><BOT><CT>";
    QTest::newRow("victim named suicide")
        << t + R"("A<1><BOT><CT>" killed "suicide<2><BOT><T>" with "awp")" << false << "A"
        << "A"
        << "suicide";
    QTest::newRow("empty name") << t + R"("<1><BOT><CT>" committed suicide with "world")" << false
                                << ""
                                << ""
                                << "suicide";
    QTest::newRow("connection line")
        << t + R"("Neo<3><STEAM_1><>" connected, address "1.2.3.4")" << false << ""
        << ""
        << "";
    QTest::newRow("utf-8 name") << t
            + R"("Дуст<1><BOT><CT>" killed "Élodie<2><BOT><T>" with "knife")"
                                << false << "Дуст"
                                << "Élodie"
                                << "knife";
    QTest::newRow("server say without <") << t + R"(Server say "no suicide")" << true << ""
                                          << ""
                                          << "";
    QTest::newRow("< in front of the first quote")
        << t + R"(<x> "A<1><BOT><CT>" committed suicide)" << true << ""
        << ""
        << "";
    QTest::newRow("no quote at all: the name runs from the line's start")
        << t + R"(A<1><BOT><CT> committed suicide)" << false << "" << t + "A"
        << "suicide";
    QTest::newRow("kill without a quote behind with")
        << t + R"("A<1><BOT><CT>" killed "B<2><BOT><T>" with awp)" << true << ""
        << ""
        << "";
}

void TestLogParser::parsesLines()
{
    QFETCH(QString, line);
    QFETCH(bool, malformed);
    QFETCH(QString, actor);
    QFETCH(QString, victim);
    QFETCH(QString, weapon);

    const QByteArray bytes = line.toUtf8();
    const auto event = ParseLogLine(bytes);
    QCOMPARE(!event.has_value(), malformed);
    if (event) {
        QCOMPARE(QString::fromUtf8(event->Actor), actor);
        QCOMPARE(QString::fromUtf8(event->Victim), victim);
        QCOMPARE(QString::fromUtf8(event->Weapon), weapon);
    }
}

void TestLogParser::findsWordsWhereverTheyStand_data()
{
    // The words are looked for many bytes at a time: every shift of a line puts them across
    // another boundary of those blocks, and the result must not change.
    QTest::addColumn<int>("shift");
    for (int shift = 0; shift <= 70; ++shift)
        QTest::newRow(qPrintable(QString::number(shift))) << shift;
}

void TestLogParser::findsWordsWhereverTheyStand()
{
    QFETCH(int, shift);
    const QByteArray pad(shift, 'x');
    const QList<std::pair<QByteArray, QList<QByteArray>>> lines = {
        {pad + R"(: "A<1><BOT><CT>" killed "B<2><BOT><T>" with "awp")", {"A", "B", "awp"}},
        {pad + R"(: "A<1><BOT><CT>" committed suicide with "world")", {"", "A", "suicide"}},
        {pad + R"(: "A<1><BOT><CT>" triggered "Rescued_A_Hostage")", {"A", "", "Hostage"}},
        {pad + R"(: "A<1><BOT><CT>" triggered "Planted_The_Bomb")", {"A", "", "PoseBombe"}},
        {pad + R"(: "A<1><BOT><CT>" triggered "Defused_The_Bomb")", {"A", "", "DifuseBombe"}},
        // The word as the very last bytes of the line.
        {pad + R"(: "A<1><BOT><CT>" triggered Defused_The_Bomb)", {"A", "", "DifuseBombe"}},
        {pad + R"(: "A<1><BOT><CT>" said suicide)", {"", "A", "suicide"}},
        // Short lines, which are looked at sixteen bytes at a time.
        {pad + R"("A<1>" suicide)", {"", "A", "suicide"}},
    };
    for (const auto &[line, expected] : lines) {
        const auto event = ParseLogLine(line);
        QVERIFY2(event, line.constData());
        QCOMPARE(event->Actor.toByteArray(), expected[0]);
        QCOMPARE(event->Victim.toByteArray(), expected[1]);
        QCOMPARE(event->Weapon.toByteArray(), expected[2]);
    }
}

void TestLogParser::cleansNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cleaned");
    QTest::newRow("plain") << "Blah"
                           << "Blah";
    QTest::newRow("( prefix") << "(1)Blah"
                              << "Blah";
    QTest::newRow("bracketed suffix") << "Blah (2)"
                                      << "Blah";
    QTest::newRow("[P tag") << "[PRO]Blah"
                            << "Blah";
    QTest::newRow("[p stays") << "[pro]Blah"
                              << "[pro]Blah";
    QTest::newRow("tag and suffix") << "[PRO]Blah (3)"
                                    << "Blah";
    QTest::newRow("prefix only") << "(1)"
                                 << "";
    QTest::newRow("( right after prefix") << "(1)(x)"
                                          << "";
    QTest::newRow("( second character") << "a(b"
                                        << "";
    QTest::newRow("short prefix") << "("
                                  << "";
    QTest::newRow("accents count as one character") << "(é)Zoé (x)"
                                                    << "Zoé";
    // Outside the Basic Multilingual Plane a character is two UTF-16 units: no cut splits one.
    QTest::newRow("emoji prefix") << "(😀)Zoé"
                                  << "Zoé";
    QTest::newRow("emoji in a two-character prefix") << "(😀x)Zoé"
                                                     << ")Zoé";
    QTest::newRow("emoji before the bracket") << "Zoé😀(x)"
                                              << "Zoé";
    QTest::newRow("math letters in a [P tag") << "[P𝐀𝐁𝐂Neo"
                                              << "Neo";
    QTest::newRow("emoji kept whole") << "😀😀 (1)"
                                      << "😀😀";
}

void TestLogParser::cleansNames()
{
    QFETCH(QString, name);
    QFETCH(QString, cleaned);
    const QByteArray bytes = name.toUtf8();
    QCOMPARE(QString::fromUtf8(CleanPlayerName(bytes)), cleaned);
}

QTEST_GUILESS_MAIN(TestLogParser)
#include "test_logparser.moc"
