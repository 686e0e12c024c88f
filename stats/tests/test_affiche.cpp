#include "stats/store/datastats.h"
#include "stats/store/statscolumns.h"
#include "stats/tests/tolvanetestbed.h"
#include "stats/ui/affiche.h"

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
    void emptyTableShowsTheHeaderOnly();
    void captionsAreTheColumnNames_data();
    void captionsAreTheColumnNames();
    void alignment_data();
    void alignment();
    void gridIsReadOnly();
    void columnsAreSizedFromTheTemplate();
    void columnsShowWholeValuesAndCaptions_data();
    void columnsShowWholeValuesAndCaptions();
    void startsOnPlacesInPlaceOrder();
    void sortEntries_data();
    void sortEntries();
    void menus_data();
    void menus();
    void windowFrameAndGridGeometry();
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
    static QAction *findAction(QWidget *window, const QString &name)
    {
        return window->findChild<QAction *>(name);
    }
};

void TestAffiche::cleanup()
{
    WindowedStart::closeWindows();
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

void TestAffiche::captionsAreTheColumnNames_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("caption");

    QTest::newRow("first") << 0 << "Place";
    QTest::newRow("name") << 1 << "Nom";
    QTest::newRow("score") << 4 << "TotalClass";
    QTest::newRow("first weapon") << 5 << "s1_1_usp";
    QTest::newRow("rifle") << 20 << "p4_3_m4a1";
    QTest::newRow("last weapon") << 26 << "p5_1_m249";
    QTest::newRow("knife") << 27 << "Couteau";
    QTest::newRow("bomb planted") << 31 << "BombePosée";
    QTest::newRow("bomb defused, spelt as the table does") << 32 << "BombeDesamocée";
}

void TestAffiche::captionsAreTheColumnNames()
{
    QFETCH(int, column);
    QFETCH(QString, caption);

    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    Affiche window(bed.context);
    QCOMPARE(window.tabResult()->model()->headerData(column, Qt::Horizontal).toString(), caption);
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
        QVERIFY(bed.store.addToPlayer(QStringLiteral("P%1").arg(i), counters));
    }
    DataStats::Counters counters {};
    if (column >= StatsColumns::FirstCounter)
        counters[std::size_t(column - StatsColumns::FirstCounter)] = value;
    QVERIFY(bed.store.addToPlayer(nom, counters));
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

void TestAffiche::menus_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("menu");

    QTest::newRow("update") << "MnuUpdate"
                            << "&Mettre a jour"
                            << "&Fichier";
    QTest::newRow("quit") << "MnuQuit"
                          << "&Quitter"
                          << "&Fichier";
    QTest::newRow("reset") << "MnuRAZ"
                           << "&RAZ des stats"
                           << "&Options";
    QTest::newRow("change code") << "MnuCodeChg"
                                 << "&Changer Code"
                                 << "&Options";
}

void TestAffiche::menus()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, menu);

    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    Affiche window(bed.context);

    QAction *action = findAction(&window, name);
    QVERIFY(action);
    QCOMPARE(action->text(), caption);
    QVERIFY(action->shortcut().isEmpty());
    QVERIFY(action->isEnabled());
    QVERIFY(!action->isCheckable());
    QMenu *owner = qobject_cast<QMenu *>(action->parent());
    QVERIFY(owner);
    QCOMPARE(owner->title(), menu);
}

void TestAffiche::windowFrameAndGridGeometry()
{
    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    Affiche window(bed.context);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(window.windowTitle(), QStringLiteral("Tolvane"));
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(window.windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(window.centralWidget()->size(), QSize(928, 657));
    QCOMPARE(window.tabResult()->geometry(), QRect(1, 4, 1004, 734));

    const QStringList bar {"&Fichier", "&Options"};
    QStringList shown;
    for (QAction *entry : window.menuBar()->actions())
        shown.append(entry->text());
    QCOMPARE(shown, bar);
    QCOMPARE(window.mnuTrieSel(0)->text(), QStringLiteral("&Places"));
    QCOMPARE(window.mnuTrieSel(1)->text(), QStringLiteral("&Kills"));
    auto *sortMenu = qobject_cast<QMenu *>(window.mnuTrieSel(0)->parent());
    QVERIFY(sortMenu);
    QCOMPARE(sortMenu->title(), QStringLiteral("&Trier selon"));
    QVERIFY(!window.windowIcon().availableSizes().isEmpty());
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
    const QString line = QStringLiteral(
        "L 08/05/2013 - 20:50:50: \"Dave<7><BOT><TERRORIST>\" killed \"Bob<1><BOT><CT>\" with "
        "\"deagle\"");
    QVERIFY(bed.writeLog(
        "L0000001.log",
        {line, line, line, QStringLiteral("L 08/05/2013 - 21:00:00: Log file closed")}));

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
