#include "affiche.h"
#include "calculs.h"
#include "statspaths.h"
#include "tolvanetestbed.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTest>

class TestCalculs : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void layout();
    void showsFileNumberAndLineProgress_data();
    void showsFileNumberAndLineProgress();
    void millionLinesStayCheap();
    void failureKeepsTheWindowUntilDismissed_data();
    void failureKeepsTheWindowUntilDismissed();
    void runWithoutLogsReopensTheResults();

private:
    static Calculs *idleCalculs(TolvaneTestBed &bed)
    {
        // No run is started: the observer calls are driven by the test.
        return new Calculs(bed.context, nullptr);
    }
};

void TestCalculs::cleanup()
{
    TolvaneTestBed::closeAllWindows();
}

void TestCalculs::layout()
{
    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    std::unique_ptr<Calculs> calculs(idleCalculs(bed));

    QCOMPARE(calculs->size(), QSize(435, 41));
    QVERIFY(calculs->windowFlags() & Qt::FramelessWindowHint);
    auto *label1 = calculs->findChild<QLabel *>("Label1");
    QVERIFY(label1);
    QCOMPARE(label1->text(),
             QStringLiteral("Veuillez patienter pendant le calcul des statistiques..."));
    QVERIFY(label1->font().bold());
    QVERIFY(label1->font().pointSizeF() <= 12.0);
    QVERIFY(label1->fontMetrics().horizontalAdvance(label1->text()) <= calculs->width());
    auto *label2 = calculs->findChild<QLabel *>("Label2");
    QVERIFY(label2);
    QCOMPARE(label2->text(), QString());
    QVERIFY(calculs->findChild<QProgressBar *>("Progress"));
}

void TestCalculs::showsFileNumberAndLineProgress_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("total");
    QTest::addColumn<qint64>("lastLineIndex");
    QTest::addColumn<QString>("label2");
    QTest::addColumn<int>("maximum");

    QTest::newRow("third of seven") << 3 << 7 << qint64(40) << "3/7" << 40;
    QTest::newRow("first of one") << 1 << 1 << qint64(999) << "1/1" << 999;
    QTest::newRow("two-digit numbers") << 12 << 345 << qint64(5) << "12/345" << 5;
    QTest::newRow("single line keeps a plain bar") << 2 << 3 << qint64(0) << "2/3" << 1;
}

void TestCalculs::showsFileNumberAndLineProgress()
{
    QFETCH(int, number);
    QFETCH(int, total);
    QFETCH(qint64, lastLineIndex);
    QFETCH(QString, label2);
    QFETCH(int, maximum);

    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    std::unique_ptr<Calculs> calculs(idleCalculs(bed));
    auto *progress = calculs->findChild<QProgressBar *>("Progress");

    calculs->fileStarted(number, total, lastLineIndex);
    QCOMPARE(calculs->findChild<QLabel *>("Label2")->text(), label2);
    QCOMPARE(progress->minimum(), 0);
    QCOMPARE(progress->maximum(), maximum);
    QCOMPARE(progress->value(), 0);

    // Every repaint shows the line reached; the last line of a file always shows.
    const qint64 middle = lastLineIndex / 2;
    for (qint64 line = 0; line < middle; ++line)
        calculs->lineProcessed(line);
    QTest::qWait(20);
    if (middle < lastLineIndex) {
        calculs->lineProcessed(middle);
        QCOMPARE(progress->value(), int(middle));
    }
    for (qint64 line = middle + 1; line <= lastLineIndex; ++line)
        calculs->lineProcessed(line);
    QCOMPARE(progress->value(), int(lastLineIndex));
}

void TestCalculs::millionLinesStayCheap()
{
    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    std::unique_ptr<Calculs> calculs(idleCalculs(bed));
    calculs->show();
    QVERIFY(QTest::qWaitForWindowExposed(calculs.get()));

    constexpr qint64 lines = 1000000;
    QElapsedTimer timer;
    timer.start();
    calculs->fileStarted(1, 1, lines - 1);
    for (qint64 line = 0; line < lines; ++line)
        calculs->lineProcessed(line);
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(calculs->findChild<QProgressBar *>("Progress")->value(), int(lines - 1));
    qInfo("1,000,000 lines shown in %lld ms", elapsed);
    QVERIFY2(elapsed < 800, "the progress window slows the run down");
}

void TestCalculs::failureKeepsTheWindowUntilDismissed_data()
{
    QTest::addColumn<bool>("byClick");

    QTest::newRow("dismissed by Escape") << false;
    QTest::newRow("dismissed by a click") << true;
}

void TestCalculs::failureKeepsTheWindowUntilDismissed()
{
    QFETCH(bool, byClick);

    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    QVERIFY(StatsPaths(bed.settings).setLogFolder(bed.logFolder() + "/missing"));
    QPointer<Affiche> window(Affiche::showNew(bed.context));
    window->MnuUpdate_Click();

    QTRY_COMPARE(bed.prompts.count("message"), 1);
    const ScriptedPrompts::Shown &message = bed.prompts.shown.at(0);
    QCOMPARE(message.title, QStringLiteral("Tolvane"));
    QCOMPARE(message.text, QStringLiteral("erreur"));
    QVERIFY(message.details.contains("missing"));

    QTRY_VERIFY(window.isNull());
    QTest::qWait(20);
    QVERIFY(TolvaneTestBed::resultsWindows().isEmpty());
    const QList<Calculs *> left = TolvaneTestBed::progressWindows();
    QCOMPARE(left.size(), 1);
    QPointer<Calculs> calculs(left.first());
    QVERIFY(calculs->hasFailed());

    if (byClick)
        QTest::mouseClick(calculs->findChild<QLabel *>("Label1"), Qt::LeftButton);
    else
        QTest::keyClick(calculs.data(), Qt::Key_Escape);

    QTRY_VERIFY(calculs.isNull());
    QCOMPARE(TolvaneTestBed::resultsWindows().size(), 1);
}

void TestCalculs::runWithoutLogsReopensTheResults()
{
    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    QVERIFY(bed.addPlayer("Alice", 2, 2) && bed.addPlayer("Bob", 1, 9));
    QPointer<Affiche> window(Affiche::showNew(bed.context));
    window->MnuUpdate_Click();

    Affiche *fresh = TolvaneTestBed::waitForNewResults(window);
    QVERIFY(fresh);
    QTRY_VERIFY(window.isNull());
    QTRY_VERIFY(TolvaneTestBed::progressWindows().isEmpty());
    QCOMPARE(bed.prompts.shown.size(), 0);
    // No log, yet the ranking was renumbered.
    QCOMPARE(TolvaneTestBed::namesShown(fresh->tabResult()), QStringList({"Bob", "Alice"}));
}

QTEST_MAIN(TestCalculs)
#include "test_calculs.moc"
