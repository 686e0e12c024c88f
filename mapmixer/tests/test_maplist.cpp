// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mapmixer/core/maplist.h"
#include "mapmixer/core/randomsource.h"
#include "mapmixer/tests/scriptedrandom.h"
#include "platform/files/filestore.h"
#include "platform/testsupport/failingfilestore.h"
#include "platform/testsupport/testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

} // namespace

class TestMapList : public QObject
{
    Q_OBJECT

private slots:
    void retrieveListsOrdinaryBspFiles_data();
    void retrieveListsOrdinaryBspFiles();
    void shuffleKeepsEveryNonEmptyLine_data();
    void shuffleKeepsEveryNonEmptyLine();
    void shuffleExchangesTheDrawnPieces_data();
    void shuffleExchangesTheDrawnPieces();
    void shuffleOfAnEmptyListDoesNothing();
    void saveContent_data();
    void saveContent();
    void saveReplacesTheWholeFile_data();
    void saveReplacesTheWholeFile();
    void failedSaveLeavesTheOldFile();
};

void TestMapList::retrieveListsOrdinaryBspFiles_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("reason");

    QTest::newRow("letter case of .bsp ignored")
        << QStringList {"maps/AIM_MAP.BSP", "maps/de_dust2.bsp", "maps/cs_italy.Bsp"}
        << QStringList {} << QStringList {"AIM_MAP", "cs_italy", "de_dust2"} << "";
    QTest::newRow("other endings ignored")
        << QStringList {"maps/a.bsp.bak", "maps/b.bspx", "maps/c.txt", "maps/d.bsp",
                        "maps/de_dust2.res"}
        << QStringList {} << QStringList {"d"} << "";
    QTest::newRow("folders and hidden files ignored")
        << QStringList {"maps/.hidden.bsp", "maps/real.bsp"} << QStringList {"maps/folder.bsp"}
        << QStringList {"real"} << "";
    QTest::newRow("maps outside the maps folder ignored")
        << QStringList {"other.bsp", "maps/sub/deep.bsp", "maps/top.bsp"} << QStringList {}
        << QStringList {"top"} << "";
    QTest::newRow("no maps folder") << QStringList {"mapcycle.txt"} << QStringList {}
                                    << QStringList {} << "the maps folder %1/maps does not exist";
    QTest::newRow("empty maps folder") << QStringList {} << QStringList {"maps"} << QStringList {}
                                       << "no map (.bsp file) in %1/maps";
    QTest::newRow("only other files") << QStringList {"maps/de_dust2.res"} << QStringList {}
                                      << QStringList {} << "no map (.bsp file) in %1/maps";
    QTest::newRow("names with blanks")
        << QStringList {"maps/my map.bsp"} << QStringList {} << QStringList {"my map"} << "";
}

void TestMapList::retrieveListsOrdinaryBspFiles()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    QFETCH(QStringList, entries);
    QFETCH(QString, reason);
    QTemporaryDir mod;
    for (const auto &file : files)
        QVERIFY(TestFiles::write(mod.filePath(file)));
    for (const auto &folder : folders)
        QVERIFY(QDir(mod.path()).mkpath(folder));

    const auto retrieved = MapList::retrieve(mod.path());
    QCOMPARE(retrieved.reason(), reason.arg(mod.path()));
    if (!retrieved)
        return;
    const QString list = *retrieved;
    QCOMPARE(sorted(MapList::pieces(list)), entries);
    QVERIFY(!list.endsWith(QChar(13)));
    QCOMPARE(list.count(QChar(13)), std::max<qsizetype>(entries.size() - 1, 0));
}

void TestMapList::shuffleKeepsEveryNonEmptyLine_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("pieceCount");

    QTest::newRow("one entry as retrieved") << "de_dust2" << QStringList {"de_dust2"} << 1;
    QTest::newRow("retrieved list") << "de_dust2\rcs_office\rde_aztec"
                                    << QStringList {"cs_office", "de_aztec", "de_dust2"} << 3;
    QTest::newRow("shuffled list ends with CR") << "a\rb\r" << QStringList {"a", "b"} << 3;
    QTest::newRow("empty pieces dropped") << "\ra\r\r\rb\r" << QStringList {"a", "b"} << 6;
    QTest::newRow("line of spaces kept") << "a\r   \rb" << QStringList {"   ", "a", "b"} << 3;
    QTest::newRow("CR LF pairs") << "a\r\nb\r\n" << QStringList {"a", "b"} << 3;
    QTest::newRow("duplicates kept") << "a\ra\rb" << QStringList {"a", "a", "b"} << 3;
    QTest::newRow("only separators") << "\r\r" << QStringList {} << 3;
}

void TestMapList::shuffleKeepsEveryNonEmptyLine()
{
    QFETCH(QString, list);
    QFETCH(QStringList, entries);
    QFETCH(int, pieceCount);

    for (int run = 0; run < 20; ++run) {
        RandomSource random;
        QList<QPair<int, int>> counts;
        const QString shuffled = MapList::shuffle(list, random, [&](int value, int maximum) {
            counts.append({value, maximum});
        });
        QStringList pieces = MapList::pieces(shuffled);
        if (!entries.isEmpty()) {
            QVERIFY(shuffled.endsWith(QChar(13)));
            QCOMPARE(pieces.takeLast(), QString());
        } else {
            QCOMPARE(shuffled, QString());
        }
        QCOMPARE(sorted(pieces), entries);

        // The count starts at 0 and rises by one per step to exactly K + n + 1.
        QVERIFY(!counts.isEmpty());
        const int maximum = counts.first().second;
        const int k = maximum - pieceCount - 1;
        QVERIFY2(k >= 0 && k <= 119, qPrintable(QString::number(k)));
        QCOMPARE(counts.size(), maximum + 1);
        for (int i = 0; i < counts.size(); ++i)
            QCOMPARE(counts.at(i), qMakePair(i, maximum));
    }
}

void TestMapList::shuffleExchangesTheDrawnPieces_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QList<double>>("draws");
    QTest::addColumn<QString>("shuffled");
    QTest::addColumn<int>("maximum");

    // First draw: K = floor(r * 120); then a and b for each of the K + 1 exchanges.
    QTest::newRow("one exchange of first and last")
        << "a\rb\rc" << QList<double> {0.0, 0.0, 0.999} << "c\rb\ra\r" << 0 + 3 + 1;
    QTest::newRow("an exchange with itself changes nothing")
        << "a\rb\rc" << QList<double> {0.005, 0.5, 0.5} << "a\rb\rc\r" << 0 + 3 + 1;
    QTest::newRow("two exchanges")
        << "a\rb\rc" << QList<double> {0.01, 0.0, 0.4, 0.4, 0.7} << "b\rc\ra\r" << 1 + 3 + 1;
    QTest::newRow("trailing empty piece takes part")
        << "a\rb\r" << QList<double> {0.0, 0.0, 0.9} << "b\ra\r" << 0 + 3 + 1;
    QTest::newRow("highest draw gives 120 exchanges")
        << "x" << QList<double>(241, 0.9999999) << "x\r" << 119 + 1 + 1;
}

void TestMapList::shuffleExchangesTheDrawnPieces()
{
    QFETCH(QString, list);
    QFETCH(QList<double>, draws);
    QFETCH(QString, shuffled);
    QFETCH(int, maximum);

    ScriptedRandom random(draws);
    int lastValue = -1;
    int lastMaximum = -1;
    QCOMPARE(MapList::shuffle(list, random,
                              [&](int value, int max) {
                                  lastValue = value;
                                  lastMaximum = max;
                              }),
             shuffled);
    QCOMPARE(lastMaximum, maximum);
    QCOMPARE(lastValue, maximum);
    // A re-seed before every single draw: one for K, two per exchange.
    const int k = maximum - int(MapList::pieces(list).size()) - 1;
    QCOMPARE(random.draws, 1 + 2 * (k + 1));
    QCOMPARE(random.reseeds, random.draws);
}

void TestMapList::shuffleOfAnEmptyListDoesNothing()
{
    for (const auto list : {"", "\n", "\n\n"}) {
        ScriptedRandom random({0.5});
        int calls = 0;
        QCOMPARE(MapList::shuffle(QString::fromLatin1(list), random, [&](int, int) { ++calls; }),
                 QString());
        QCOMPARE(calls, 0);
        QCOMPARE(random.draws, 0);
    }
}

void TestMapList::saveContent_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("listAfter");
    QTest::addColumn<bool>("namesAMap");

    QTest::newRow("retrieved list")
        << "de_dust2\rcs_office" << QByteArray("de_dust2\r\ncs_office\r\n")
        << "de_dust2\rcs_office\r" << true;
    QTest::newRow("shuffled list") << "b\ra\r" << QByteArray("b\r\na\r\n") << "b\ra\r" << true;
    QTest::newRow("empty lines never written")
        << "\ra\r\r\rb\r\r" << QByteArray("a\r\nb\r\n") << "a\rb\r" << true;
    QTest::newRow("line of spaces written unchanged")
        << "a\r   \rb" << QByteArray("a\r\n   \r\nb\r\n") << "a\r   \rb\r" << true;
    QTest::newRow("name between blanks written as typed")
        << " \t de_dust2\t" << QByteArray(" \t de_dust2\t\r\n") << " \t de_dust2\t\r" << true;
    QTest::newRow("CR LF in the list") << "a\r\nb\r\n"
                                       << QByteArray("a\r\nb\r\n") << "a\rb\r" << true;
    QTest::newRow("lone LF belongs to no name") << "a\nb" << QByteArray("ab\r\n") << "ab\r" << true;
    QTest::newRow("empty list gives zero bytes") << "" << QByteArray() << "" << false;
    QTest::newRow("only separators") << "\r\n\r" << QByteArray() << "" << false;
    QTest::newRow("only spaces and tabs name no map")
        << "  \r\t\r\n \t " << QByteArray("  \r\n\t\r\n \t \r\n") << "  \r\t\r \t \r" << false;
}

void TestMapList::saveContent()
{
    QFETCH(QString, list);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, listAfter);
    QFETCH(bool, namesAMap);
    const auto content = MapList::saveContent(list);
    QCOMPARE(content.bytes, bytes);
    QCOMPARE(content.listText, listAfter);
    QCOMPARE(content.namesAMap, namesAMap);
}

void TestMapList::saveReplacesTheWholeFile_data()
{
    QTest::addColumn<QByteArray>("oldFile");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QByteArray>("newFile");

    QTest::newRow("longer old file leaves nothing behind")
        << QByteArray("de_aztec\r\nde_nuke\r\nde_train\r\ncs_italy\r\n") << "cs_office"
        << QByteArray("cs_office\r\n");
    QTest::newRow("no old file") << QByteArray() << "a\rb" << QByteArray("a\r\nb\r\n");
    QTest::newRow("empty list empties the file")
        << QByteArray("de_dust2\r\n") << "" << QByteArray();
}

void TestMapList::saveReplacesTheWholeFile()
{
    QFETCH(QByteArray, oldFile);
    QFETCH(QString, list);
    QFETCH(QByteArray, newFile);
    QTemporaryDir mod;
    const QString path = MapList::mapCyclePath(mod.path());
    if (!oldFile.isEmpty())
        QVERIFY(TestFiles::write(path, oldFile));

    FileStore files;
    const auto saved = MapList::save(mod.path(), MapList::saveContent(list), files);
    QVERIFY2(saved.ok(), qPrintable(saved.reason()));
    QCOMPARE(TestFiles::read(path), newFile);
    QCOMPARE(QDir(mod.path()).entryList(QDir::Files), QStringList {"mapcycle.txt"});
    const auto loaded = MapList::loadMapCycle(mod.path(), files);
    QVERIFY2(loaded.ok(), qPrintable(loaded.reason()));
    QCOMPARE(*loaded, QString::fromLatin1(newFile));
}

void TestMapList::failedSaveLeavesTheOldFile()
{
    QTemporaryDir mod;
    const QString path = MapList::mapCyclePath(mod.path());
    QVERIFY(TestFiles::write(path, "de_dust2\r\n"));
    FailingFileStore files;
    files.failAll = true;
    const auto refused = MapList::save(mod.path(), MapList::saveContent("cs_office\r"), files);
    QVERIFY(!refused);
    QCOMPARE(refused.reason(), QStringLiteral("Permission denied"));
    QCOMPARE(TestFiles::read(path), QByteArray("de_dust2\r\n"));

    // A mod folder that does not exist: nothing is created, the failure is told.
    FileStore realFiles;
    const QString missing = mod.filePath("missing");
    const auto nowhere = MapList::save(missing, MapList::saveContent("a"), realFiles);
    QVERIFY(!nowhere);
    QVERIFY(!nowhere.reason().isEmpty());
    QVERIFY(!QFileInfo::exists(missing));
    // Nor is there a map cycle file to show.
    const auto loaded = MapList::loadMapCycle(missing, realFiles);
    QVERIFY(!loaded);
    QVERIFY(!loaded.reason().isEmpty());
}

QTEST_GUILESS_MAIN(TestMapList)
#include "test_maplist.moc"
