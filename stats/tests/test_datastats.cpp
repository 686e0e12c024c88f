#include "datastats.h"
#include "statstestsupport.h"
#include "testfiles.h"

#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

namespace {

DataStats::Counters score(int kills, int totalClass)
{
    DataStats::Counters c {};
    c[StatsColumns::Kills - StatsColumns::FirstCounter] = kills;
    c[StatsColumns::TotalClass - StatsColumns::FirstCounter] = totalClass;
    return c;
}

QStringList column(QSqlQueryModel *model, int c)
{
    QStringList values;
    for (int r = 0; r < model->rowCount(); ++r)
        values << model->index(r, c).data().toString();
    return values;
}

} // namespace

class TestDataStats : public QObject
{
    Q_OBJECT

private slots:
    void createsTheSchemaOnFirstUse();
    void newRowsStartAtZero();
    void matchesColumnNamesWithoutCase_data();
    void matchesColumnNamesWithoutCase();
    void ranksByScoreWithDistinctPlaces_data();
    void ranksByScoreWithDistinctPlaces();
    void recordSourcesFollowTheirOrder();
    void closedRecordSetsReadAfresh();
    void clearEmptiesTheTable();
    void reportsAnUnopenableFile();
    void remembersFileProgress();
};

void TestDataStats::createsTheSchemaOnFirstUse()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/folder/Stats.db");
    {
        DataStats store;
        QVERIFY2(store.open(path), qPrintable(store.errorString()));
        QCOMPARE(store.rowCount(), 0);
        QVERIFY(store.insertPlayer("Neo", {}));
    }
    DataStats again;
    QVERIFY(again.open(path));
    QCOMPARE(again.rowCount(), 1);
    for (const QString source : {"Stats", "Class", "Class2"}) {
        QSqlQuery query(again.database());
        QVERIFY(query.exec("SELECT * FROM " + source));
        const QSqlRecord record = query.record();
        QCOMPARE(record.count(), 33);
        for (int c = 0; c < 33; ++c)
            QCOMPARE(record.fieldName(c), QString::fromUtf8(StatsColumns::names[std::size_t(c)]));
    }
}

void TestDataStats::newRowsStartAtZero()
{
    QTemporaryDir dir;
    DataStats store;
    QVERIFY(store.open(dir.filePath("Stats.db")));
    QSqlQuery query(store.database());
    QVERIFY(query.exec("INSERT INTO Stats (Nom, Kills, Deaths, TotalClass) VALUES ('A', 0, 0, 0)"));
    const QVariantMap values = StatsTest::row(store, "A");
    QCOMPARE(values.size(), 33);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (it.key() != "Nom")
            QCOMPARE(it.value().toInt(), 0);
    }
}

void TestDataStats::matchesColumnNamesWithoutCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::newRow("couteau") << "couteau" << 27;
    QTest::newRow("place") << "place" << 0;
    QTest::newRow("exact") << "TotalClass" << 4;
    QTest::newRow("accented") << "BombeDesamocée" << 32;
    QTest::newRow("unknown") << "famas" << -1;
}

void TestDataStats::matchesColumnNamesWithoutCase()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QCOMPARE(StatsColumns::indexOf(name.toStdString()), index);
}

void TestDataStats::ranksByScoreWithDistinctPlaces_data()
{
    QTest::addColumn<QList<int>>("scores");
    QTest::addColumn<QList<int>>("places");
    QTest::newRow("three scores") << QList<int> {5, -2, 0} << QList<int> {1, 3, 2};
    QTest::newRow("ties keep table order") << QList<int> {1, 3, 1, 1} << QList<int> {2, 1, 3, 4};
    QTest::newRow("one row") << QList<int> {-7} << QList<int> {1};
    QTest::newRow("empty table") << QList<int> {} << QList<int> {};
}

void TestDataStats::ranksByScoreWithDistinctPlaces()
{
    QFETCH(QList<int>, scores);
    QFETCH(QList<int>, places);
    QTemporaryDir dir;
    DataStats store;
    QVERIFY(store.open(dir.filePath("Stats.db")));
    for (int i = 0; i < scores.size(); ++i)
        QVERIFY(store.insertPlayer(QString("P%1").arg(i), score(0, scores[i])));
    QVERIFY(store.rankPlayers());
    for (int i = 0; i < scores.size(); ++i)
        QCOMPARE(StatsTest::row(store, QString("P%1").arg(i)).value("Place").toInt(), places[i]);
}

void TestDataStats::recordSourcesFollowTheirOrder()
{
    QTemporaryDir dir;
    DataStats store;
    QVERIFY(store.open(dir.filePath("Stats.db")));
    QVERIFY(store.insertPlayer("Few", score(1, 3)));
    QVERIFY(store.insertPlayer("Many", score(9, -1)));
    QVERIFY(store.insertPlayer("Some", score(4, 0)));
    QVERIFY(store.rankPlayers());
    QCOMPARE(column(store.recordSource("Class2"), 1), (QStringList {"Few", "Some", "Many"}));
    QCOMPARE(column(store.recordSource("class"), 1), (QStringList {"Many", "Some", "Few"}));
    QCOMPARE(store.recordSource("Class2")->headerData(32, Qt::Horizontal).toString(),
             "BombeDesamocée");
    QCOMPARE(store.recordSource("Stats"), nullptr);
}

void TestDataStats::closedRecordSetsReadAfresh()
{
    QTemporaryDir dir;
    DataStats store;
    QVERIFY(store.open(dir.filePath("Stats.db")));
    QCOMPARE(store.recordSource("Class2")->rowCount(), 0);
    QVERIFY(store.insertPlayer("Late", score(1, 1)));
    store.closeRecordSets();
    QCOMPARE(store.recordSource("Class2")->rowCount(), 1);
}

void TestDataStats::clearEmptiesTheTable()
{
    QTemporaryDir dir;
    DataStats store;
    QVERIFY(store.open(dir.filePath("Stats.db")));
    QVERIFY(store.clearStats());
    for (int i = 0; i < 50; ++i)
        QVERIFY(store.insertPlayer(QString::number(i), score(i, i)));
    QVERIFY(store.clearStats());
    QCOMPARE(store.rowCount(), 0);
}

void TestDataStats::reportsAnUnopenableFile()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("Stats.db"));
    DataStats store;
    QVERIFY(!store.open(dir.filePath("Stats.db")));
    QVERIFY2(store.errorString().contains("Stats.db"), qPrintable(store.errorString()));
    QVERIFY(!store.isOpen());

    QVERIFY(TestFiles::write(dir.filePath("junk.db"), QByteArray(4096, 'x')));
    DataStats junk;
    QVERIFY(!junk.open(dir.filePath("junk.db")));
    QVERIFY(junk.errorString().contains("junk.db"));
}

void TestDataStats::remembersFileProgress()
{
    QTemporaryDir dir;
    DataStats store;
    QVERIFY(store.open(dir.filePath("Stats.db")));
    QCOMPARE(store.fileProgress("/logs/L1.log")->offset, 0);
    QVERIFY(store.setFileProgress("/logs/L1.log", {120, "digest", 120}));
    QVERIFY(store.setFileProgress("/logs/L1.log", {240, "digest2", 240}));
    QCOMPARE(store.fileProgress("/logs/L1.log")->offset, 240);
    QCOMPARE(store.fileProgress("/logs/L1.log")->headDigest, QByteArray("digest2"));
    QVERIFY(store.removeFileProgress("/logs/L1.log"));
    QCOMPARE(store.fileProgress("/logs/L1.log")->offset, 0);
}

QTEST_GUILESS_MAIN(TestDataStats)
#include "test_datastats.moc"
