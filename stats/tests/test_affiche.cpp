// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/windowkit/windowedprogram.h"
#include "stats/store/datastats.h"
#include "stats/store/statscolumns.h"
#include "stats/tests/statstestsupport.h"
#include "stats/tests/tolvanetestbed.h"
#include "stats/ui/affiche.h"
#include "stats/ui/tolvaneicon.h"

#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <QTest>

class TestAffiche : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void layout_data();
    void layout();
    void emptyTableShowsTheHeaderOnly();
    void alignment_data();
    void alignment();
    void gridIsReadOnly();
    void columnsAreSizedFromTheTemplate();
    void columnsShowWholeValuesAndCaptions_data();
    void columnsShowWholeValuesAndCaptions();
    void startsOnPlacesInPlaceOrder();
    void sortEntries_data();
    void sortEntries();
    void gridKeepsItsPlaceWhenResized();
    void updateReopensOnPlaces();

private:
    static bool fillThreePlayers(TolvaneTestBed &bed)
    {
        // Place order (by score): Bob, Carol, Alice. Kills order: Alice, Carol, Bob.
        return bed.addPlayer(QStringLiteral("Alice"), 10, 5)
            && bed.addPlayer(QStringLiteral("Bob"), 3, 20)
            && bed.addPlayer(QStringLiteral("Carol"), 7, 12) && bed.rank();
    }
};

void TestAffiche::cleanup()
{
    WindowedStart::closeWindows();
}

void TestAffiche::layout_data()
{
    // A control by its name; the column of a header caption, the index of an entry of a group.
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    // The menu that holds an entry ("" for the menu bar), and its place there.
    QTest::addColumn<QString>("menu");
    QTest::addColumn<int>("position");
    // In pixels, 15 twips each; the window's is that of its client area.
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("window") << "Affiche" << -1 << "Tolvane"
                            << "" << -1 << QRect(0, 0, 928, 657);
    QTest::newRow("grid") << "TabResult" << -1 << ""
                          << "" << -1 << QRect(1, 4, 1004, 734);

    const QList<std::pair<int, QString>> columns {{0, "Place"},
                                                  {1, "Nom"},
                                                  {4, "TotalClass"},
                                                  {5, "s1_1_usp"},
                                                  {20, "p4_3_m4a1"},
                                                  {26, "p5_1_m249"},
                                                  {27, "Couteau"},
                                                  {31, "BombePosée"},
                                                  // spelt as the table does
                                                  {32, "BombeDesamocée"}};
    for (const auto &[column, caption] : columns)
        QTest::addRow("column caption %s", qPrintable(caption))
            << "TabResult" << column << caption << "" << -1 << QRect();

    QTest::newRow("file menu") << "MnuFile" << -1 << "&Fichier"
                               << "" << 0 << QRect();
    QTest::newRow("update") << "MnuUpdate" << -1 << "&Mettre a jour"
                            << "&Fichier" << 0 << QRect();
    QTest::newRow("quit") << "MnuQuit" << -1 << "&Quitter"
                          << "&Fichier" << 1 << QRect();
    QTest::newRow("options menu") << "MnuOptn" << -1 << "&Options"
                                  << "" << 1 << QRect();
    QTest::newRow("sort menu") << "MnuTrie" << -1 << "&Trier selon"
                               << "&Options" << 0 << QRect();
    QTest::newRow("sort by places") << "MnuTrieSel" << 0 << "&Places"
                                    << "&Trier selon" << 0 << QRect();
    QTest::newRow("sort by kills") << "MnuTrieSel" << 1 << "&Kills"
                                   << "&Trier selon" << 1 << QRect();
    QTest::newRow("reset") << "MnuRAZ" << -1 << "&RAZ des stats"
                           << "&Options" << 1 << QRect();
    QTest::newRow("change code") << "MnuCodeChg" << -1 << "&Changer Code"
                                 << "&Options" << 2 << QRect();
}

void TestAffiche::layout()
{
    QFETCH(QString, control);
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, menu);
    QFETCH(int, position);
    QFETCH(QRect, geometry);

    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    Affiche window(bed.context);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    if (control == QLatin1String("Affiche")) {
        // As the program starts: its icon once for all its windows.
        const WindowedProgram program {TolvaneIcon()};
        QCOMPARE(window.windowTitle(), caption);
        QCOMPARE(QRect(QPoint(), window.centralWidget()->size()), geometry);
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(window.windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(window.windowIcon().pixmap(16).toImage(), TolvaneIcon().image(16).toImage());
        return;
    }
    if (control == QLatin1String("TabResult")) {
        QCOMPARE(window.tabResult()->objectName(), control);
        if (index < 0)
            QCOMPARE(window.tabResult()->geometry(), geometry);
        else
            QCOMPARE(window.tabResult()->model()->headerData(index, Qt::Horizontal).toString(),
                     caption);
        return;
    }

    // A menu is reached through the entry that opens it.
    QAction *entry = nullptr;
    if (const auto *opened = window.findChild<QMenu *>(control))
        entry = opened->menuAction();
    else
        entry = index >= 0 ? window.mnuTrieSel(index) : window.findChild<QAction *>(control);
    QVERIFY(entry);
    QCOMPARE(entry->text(), caption);
    QVERIFY(entry->shortcut().isEmpty());
    QVERIFY(entry->isEnabled());
    QCOMPARE(entry->isCheckable(), control == QLatin1String("MnuTrieSel"));
    QWidget *holder = window.menuBar();
    if (!menu.isEmpty()) {
        holder = nullptr;
        for (QMenu *candidate : window.findChildren<QMenu *>()) {
            if (candidate->title() == menu)
                holder = candidate;
        }
    }
    QVERIFY(holder);
    QCOMPARE(holder->actions().indexOf(entry), position);
}

void TestAffiche::emptyTableShowsTheHeaderOnly()
{
    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    Affiche window(bed.context);
    window.show();

    QCOMPARE(window.tabResult()->model()->rowCount(), 0);
    QCOMPARE(window.tabResult()->model()->columnCount(), 33);
    QVERIFY(window.tabResult()->horizontalHeader()->isVisible());
    QVERIFY(!window.tabResult()->verticalHeader()->isVisible());
}

void TestAffiche::alignment_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("alignment");

    const int right = int(Qt::AlignRight | Qt::AlignVCenter);
    QTest::newRow("Place") << 0 << right;
    QTest::newRow("Nom") << 1 << int(Qt::AlignLeft | Qt::AlignVCenter);
    QTest::newRow("Kills") << 2 << right;
    QTest::newRow("a weapon") << 10 << right;
    QTest::newRow("BombeDesamocée") << 32 << right;
}

void TestAffiche::alignment()
{
    QFETCH(int, column);
    QFETCH(int, alignment);

    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    QVERIFY(bed.addPlayer(QStringLiteral("Alice"), 1, 1) && bed.rank());
    Affiche window(bed.context);
    const QModelIndex cell = window.tabResult()->model()->index(0, column);
    QCOMPARE(cell.data(Qt::TextAlignmentRole).toInt(), alignment);
    QCOMPARE(window.tabResult()
                 ->model()
                 ->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole)
                 .toInt(),
             alignment);
}

void TestAffiche::gridIsReadOnly()
{
    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    QVERIFY(bed.addPlayer(QStringLiteral("Alice"), 1, 1) && bed.rank());
    Affiche window(bed.context);
    QAbstractItemModel *model = window.tabResult()->model();
    const QModelIndex name = model->index(0, StatsColumns::Nom);
    QVERIFY(!(model->flags(name) & Qt::ItemIsEditable));
    QVERIFY(!model->setData(name, QStringLiteral("Mallory")));
    QCOMPARE(TolvaneTestBed::namesShown(window.tabResult()), QStringList {QStringLiteral("Alice")});
}

void TestAffiche::columnsAreSizedFromTheTemplate()
{
    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    Affiche window(bed.context);
    const QHeaderView *header = window.tabResult()->horizontalHeader();
    const QFontMetrics metrics(window.tabResult()->font());

    // Nom is sized by 39 blanks, Place by 12; the rest by their template texts.
    QVERIFY(header->sectionSize(StatsColumns::Nom) > 3 * header->sectionSize(StatsColumns::Place));
    QVERIFY(header->sectionSize(StatsColumns::Nom)
            >= metrics.horizontalAdvance(QString(39, QLatin1Char(' '))));
    QVERIFY(header->sectionSize(StatsColumns::Kills) >= metrics.horizontalAdvance("Kills"));
    QVERIFY(header->sectionSize(StatsColumns::Kills)
            < header->sectionSize(StatsColumns::TotalClass));
    for (int column = 0; column < StatsColumns::Count; ++column)
        QCOMPARE(header->sectionResizeMode(column), QHeaderView::Fixed);
}

void TestAffiche::columnsShowWholeValuesAndCaptions_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("nom");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<int>("others");

    QTest::newRow("a kill count of 100") << int(StatsColumns::Kills) << "Alice" << qint64(100) << 0;
    QTest::newRow("hundreds of knife kills")
        << int(StatsColumns::indexOf("Couteau")) << "Alice" << qint64(812) << 0;
    QTest::newRow("a negative score")
        << int(StatsColumns::TotalClass) << "Alice" << qint64(-123456) << 0;
    QTest::newRow("a caption longer than its template entry")
        << int(StatsColumns::indexOf("s1_1_usp")) << "Alice" << qint64(1) << 0;
    QTest::newRow("a caption longer than its template entry, last column")
        << int(StatsColumns::indexOf("BombeDesamocée")) << "Alice" << qint64(2) << 0;
    QTest::newRow("a long name") << int(StatsColumns::Nom) << "[WWW]Quentin_Tarantino_MWMWMWMW"
                                 << qint64(1) << 0;
    // The widest value in the last of thousands of rows, far past what the grid has read.
    QTest::newRow("the widest value at the bottom of thousands of rows")
        << int(StatsColumns::Deaths) << "Zed" << qint64(98765432) << 3000;
    QTest::newRow("places in the thousands")
        << int(StatsColumns::Place) << "Zed" << qint64(0) << 12000;
}

void TestAffiche::columnsShowWholeValuesAndCaptions()
{
    QFETCH(int, column);
    QFETCH(QString, nom);
    QFETCH(qint64, value);
    QFETCH(int, others);

    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    QVERIFY(bed.store.beginTransaction());
    for (int i = 0; i < others; ++i) {
        DataStats::Counters counters {};
        counters[std::size_t(StatsColumns::Kills - StatsColumns::FirstCounter)] = i % 300;
        counters[std::size_t(StatsColumns::TotalClass - StatsColumns::FirstCounter)] = 10 + i;
        QVERIFY(StatsTest::addToPlayer(bed.store, QStringLiteral("P%1").arg(i), counters));
    }
    DataStats::Counters counters {};
    if (column >= StatsColumns::FirstCounter)
        counters[std::size_t(column - StatsColumns::FirstCounter)] = value;
    QVERIFY(StatsTest::addToPlayer(bed.store, nom, counters));
    QVERIFY(bed.store.commit());
    QVERIFY(bed.rank());

    Affiche window(bed.context);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.columnsMeasured());
    QTableView *grid = window.tabResult();
    const QHeaderView *header = grid->horizontalHeader();
    const int width = header->sectionSize(column);

    const QString caption = grid->model()->headerData(column, Qt::Horizontal).toString();
    const int captionMargins =
        2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    QVERIFY2(QFontMetrics(header->font()).horizontalAdvance(caption) + captionMargins <= width,
             qPrintable(caption));

    // What the grid itself needs to show every cell of the column whole, the grid line included.
    TolvaneTestBed::namesShown(grid);
    QStyleOptionViewItem option;
    option.initFrom(grid);
    option.font = grid->font();
    option.fontMetrics = grid->fontMetrics();
    option.widget = grid;
    int needed = 0;
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        const QModelIndex cell = grid->model()->index(row, column);
        needed = std::max(needed, grid->itemDelegateForIndex(cell)->sizeHint(option, cell).width());
    }
    QVERIFY2(needed + 1 <= width,
             qPrintable(
                 QStringLiteral("%1 needs %2 px, has %3").arg(caption).arg(needed + 1).arg(width)));
}

void TestAffiche::startsOnPlacesInPlaceOrder()
{
    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    QVERIFY(fillThreePlayers(bed));
    Affiche window(bed.context);

    QCOMPARE(window.dataMember(), QStringLiteral("Class2"));
    QVERIFY(window.mnuTrieSel(0)->isChecked());
    QVERIFY(!window.mnuTrieSel(1)->isChecked());
    QCOMPARE(TolvaneTestBed::namesShown(window.tabResult()),
             QStringList({"Bob", "Carol", "Alice"}));
}

void TestAffiche::sortEntries_data()
{
    QTest::addColumn<QList<int>>("chosen");
    QTest::addColumn<bool>("placesChecked");
    QTest::addColumn<QString>("dataMember");
    QTest::addColumn<QStringList>("names");

    const QStringList byPlace {"Bob", "Carol", "Alice"};
    const QStringList byKills {"Alice", "Carol", "Bob"};
    QTest::newRow("kills") << QList<int> {1} << false << "Class" << byKills;
    QTest::newRow("kills then places") << QList<int> {1, 0} << true << "Class2" << byPlace;
    QTest::newRow("places while already checked") << QList<int> {0} << true << "Class2" << byPlace;
    QTest::newRow("kills twice") << QList<int> {1, 1} << false << "Class" << byKills;
}

void TestAffiche::sortEntries()
{
    QFETCH(QList<int>, chosen);
    QFETCH(bool, placesChecked);
    QFETCH(QString, dataMember);
    QFETCH(QStringList, names);

    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    QVERIFY(fillThreePlayers(bed));
    Affiche window(bed.context);
    window.show();

    // Through the menu entries, which toggle their own mark before the handler runs.
    for (int index : chosen)
        window.mnuTrieSel(index)->trigger();

    QCOMPARE(window.mnuTrieSel(0)->isChecked(), placesChecked);
    QCOMPARE(window.mnuTrieSel(1)->isChecked(), !placesChecked);
    QCOMPARE(window.dataMember(), dataMember);
    QCOMPARE(TolvaneTestBed::namesShown(window.tabResult()), names);
}

void TestAffiche::gridKeepsItsPlaceWhenResized()
{
    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    Affiche window(bed.context);
    window.show();
    window.resize(400, 300);
    QTest::qWait(10);
    QCOMPARE(window.tabResult()->geometry(), QRect(1, 4, 1004, 734));
    window.resize(1400, 1000);
    QTest::qWait(10);
    QCOMPARE(window.tabResult()->geometry(), QRect(1, 4, 1004, 734));
}

void TestAffiche::updateReopensOnPlaces()
{
    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    QVERIFY(fillThreePlayers(bed));
    const QByteArray kill = StatsTest::kill("Dave", "Bob", "deagle");
    QVERIFY(bed.writeLog("L0000001.log", {kill, kill, kill}));

    auto *window = Affiche::showNew(bed.context);
    window->MnuTrieSel_Click(1);
    QVERIFY(window->mnuTrieSel(1)->isChecked());
    QPointer<Affiche> old(window);
    window->MnuUpdate_Click();

    Affiche *fresh = TolvaneTestBed::waitForNewResults(window);
    QVERIFY2(fresh,
             qPrintable(bed.dialogs.shown.isEmpty() ? QString("no prompt")
                                                    : bed.dialogs.shown.last().details));
    QTRY_VERIFY(old.isNull());
    QTRY_VERIFY(TolvaneTestBed::progressWindows().isEmpty());
    QCOMPARE(bed.dialogs.shown.size(), 0);
    QCOMPARE(fresh->dataMember(), QStringLiteral("Class2"));
    QVERIFY(fresh->mnuTrieSel(0)->isChecked());
    QVERIFY(!fresh->mnuTrieSel(1)->isChecked());
    const QStringList names = TolvaneTestBed::namesShown(fresh->tabResult());
    QCOMPARE(names.size(), 4);
    QVERIFY(names.contains(QStringLiteral("Dave")));
    const QAbstractItemModel *model = fresh->tabResult()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        QCOMPARE(model->index(row, StatsColumns::Place).data().toInt(), row + 1);
    QVERIFY(QDir(bed.logFolder()).isEmpty());
}

QTEST_MAIN(TestAffiche)
#include "test_affiche.moc"
