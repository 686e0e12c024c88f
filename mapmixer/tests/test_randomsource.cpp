// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mapmixer/core/randomsource.h"

#include <QTest>

#include <cmath>

class TestRandomSource : public QObject
{
    Q_OBJECT

private slots:
    void drawsWithinOneClockTickDiffer_data();
    void drawsWithinOneClockTickDiffer();
    void drawsStayInRangeAndSpread();
};

void TestRandomSource::drawsWithinOneClockTickDiffer_data()
{
    QTest::addColumn<double>("clock");
    QTest::addColumn<int>("n");
    QTest::newRow("midnight, two maps") << 0.0 << 2;
    QTest::newRow("noon, ten maps") << 43200.0 << 10;
    QTest::newRow("late evening, thirty maps") << 86399.99 << 30;
}

void TestRandomSource::drawsWithinOneClockTickDiffer()
{
    QFETCH(double, clock);
    QFETCH(int, n);
    // The clock never moves: a re-seed that restarted one sequence per clock value would make
    // a equal to b in every exchange.
    RandomSource random([clock] { return clock; });
    int different = 0;
    constexpr int exchanges = 1000;
    for (int i = 0; i < exchanges; ++i) {
        random.reseed();
        const int a = int(std::floor(random.draw() * n));
        random.reseed();
        const int b = int(std::floor(random.draw() * n));
        if (a != b)
            ++different;
    }
    const double expected = exchanges * (1.0 - 1.0 / n);
    QVERIFY2(different > expected * 0.8 && different < expected * 1.2,
             qPrintable(QString::number(different)));
}

void TestRandomSource::drawsStayInRangeAndSpread()
{
    double now = 1000.0;
    RandomSource random([&now] { return now += 0.001; });
    constexpr int buckets = 10;
    constexpr int draws = 20000;
    int counts[buckets] = {};
    for (int i = 0; i < draws; ++i) {
        random.reseed();
        const double r = random.draw();
        QVERIFY(r >= 0.0 && r < 1.0);
        ++counts[int(r * buckets)];
    }
    for (const int count : counts)
        QVERIFY2(count > draws / buckets * 0.8 && count < draws / buckets * 1.2,
                 qPrintable(QString::number(count)));
}

QTEST_GUILESS_MAIN(TestRandomSource)
#include "test_randomsource.moc"
