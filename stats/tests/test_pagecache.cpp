// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/web/pagecache.h"

#include <QTest>

namespace {

/// A page whose body takes \a bytes.
std::shared_ptr<const PageCache::Page> page(qsizetype bytes)
{
    auto made = std::make_shared<PageCache::Page>();
    made->plain.body = QByteArray(bytes, 'x');
    return made;
}

} // namespace

class TestPageCache : public QObject
{
    Q_OBJECT

private slots:
    void keepsWhatFits_data();
    void keepsWhatFits();
    void forgetsAnotherGeneration();
};

void TestPageCache::keepsWhatFits_data()
{
    // Each step: "+NAME:KIB" keeps a page, "?NAME" asks for one; the cache holds 100 KiB.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<QStringList>("gone");
    QTest::newRow("all fit") << QStringList {"+a:20", "+b:20", "+c:20"}
                             << QStringList {"a", "b", "c"} << QStringList {};
    QTest::newRow("the oldest goes first")
        << QStringList {"+a:20", "+b:20", "+c:20", "+d:20", "+e:20"}
        << QStringList {"b", "c", "d", "e"} << QStringList {"a"};
    QTest::newRow("a page asked for again stays")
        << QStringList {"+a:20", "+b:20", "+c:20", "+d:20", "?a", "+e:20"}
        << QStringList {"a", "c", "d", "e"} << QStringList {"b"};
    QTest::newRow("a big page makes room for itself")
        << QStringList {"+a:19", "+b:19", "+c:19", "+d:19", "+e:19", "+f:24"}
        << QStringList {"c", "d", "e", "f"} << QStringList {"a", "b"};
    QTest::newRow("a page of more than a quarter is not kept")
        << QStringList {"+a:20", "+huge:30"} << QStringList {"a"} << QStringList {"huge"};
    QTest::newRow("a page kept again replaces the first")
        << QStringList {"+a:20", "+a:20", "+a:20", "+a:20", "+a:20", "+b:20"}
        << QStringList {"a", "b"} << QStringList {};
}

void TestPageCache::keepsWhatFits()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, kept);
    QFETCH(QStringList, gone);
    PageCache cache(100 * 1024);
    const quint64 generation = cache.generation();
    for (const QString &step : steps) {
        const QString name = step.mid(1).section(':', 0, 0);
        if (step.startsWith('+'))
            cache.insert(name.toUtf8(), generation, page(step.section(':', 1).toInt() * 1024));
        else
            QVERIFY(cache.find(name.toUtf8(), generation));
    }
    for (const QString &name : kept)
        QVERIFY2(cache.find(name.toUtf8(), generation), qPrintable(name));
    for (const QString &name : gone)
        QVERIFY2(!cache.find(name.toUtf8(), generation), qPrintable(name));
    QVERIFY(cache.bytes() <= 100 * 1024);
}

void TestPageCache::forgetsAnotherGeneration()
{
    PageCache cache;
    const quint64 before = cache.generation();
    cache.insert("a", before, page(10));
    QVERIFY(cache.find("a", before));
    cache.advance();
    // Written before the change: neither found under the old generation nor kept under it.
    QVERIFY(!cache.find("a", before));
    QVERIFY(!cache.find("a", cache.generation()));
    cache.insert("b", before, page(10));
    QVERIFY(!cache.find("b", cache.generation()));
    QCOMPARE(cache.bytes(), 0);
    // The order by kills: built once a generation, by the first to ask.
    bool build = false;
    QVERIFY(!cache.killsOrder(before, build).entries);
    QVERIFY(!build);
    QVERIFY(!cache.killsOrder(cache.generation(), build).entries);
    QVERIFY(build);
    // Another thread meanwhile: nothing at once, and not asked to build it a second time.
    QVERIFY(!cache.killsOrder(cache.generation(), build).entries);
    QVERIFY(!build);
    const auto entries =
        std::make_shared<const PageCache::KillsOrder>(PageCache::KillsOrder {{5, 5, 1}, {3, 3, 2}});
    // Then the part read so far, still not to be built again.
    cache.keepKillsOrder(cache.generation(), {entries, 1, false});
    const ColumnOrder::Shared part = cache.killsOrder(cache.generation(), build);
    QVERIFY(!build);
    QVERIFY(part.entries == entries && part.length == 1 && !part.whole);
    cache.keepKillsOrder(cache.generation(), {entries, 2, true});
    const ColumnOrder::Shared order = cache.killsOrder(cache.generation(), build);
    QVERIFY(!build);
    QVERIFY(order.entries == entries && order.length == 2 && order.whole);
    cache.advance();
    QVERIFY(!cache.killsOrder(cache.generation(), build).entries);
    QVERIFY(build);
    // A read that failed: another thread may try.
    cache.keepKillsOrder(cache.generation(), {});
    QVERIFY(!cache.killsOrder(cache.generation(), build).entries);
    QVERIFY(build);
}

QTEST_GUILESS_MAIN(TestPageCache)
#include "test_pagecache.moc"
