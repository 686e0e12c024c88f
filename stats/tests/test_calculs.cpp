// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/statspaths.h"
#include "stats/tests/tolvanetestbed.h"
#include "stats/ui/affiche.h"
#include "stats/ui/calculs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <memory>

class TestCalculs : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void layout_data();
    void layout();
    void showsFileNumberAndLineProgress_data();
    void showsFileNumberAndLineProgress();
    void millionLinesStayCheap();
    void failureKeepsTheWindowUntilDismissed_data();
    void failureKeepsTheWindowUntilDismissed();
    void runWithoutLogsReopensTheResults();
    void waitsInSightForAnotherWriter_data();
    void waitsInSightForAnotherWriter();

private:
    static Calculs *idleCalculs(TolvaneTestBed &bed)
    {
        // No run is started: the observer calls are driven by the test.
        return new Calculs(bed.context, nullptr);
    }
};

void TestCalculs::cleanup()
{
    WindowedStart::closeWindows();
}

void TestCalculs::layout_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption");
    // In pixels, 15 twips each.
    QTest::addColumn<QRect>("geometry");

    QTest::newRow("window") << "Calculs"
                            << "" << QRect(0, 0, 435, 41);
    QTest::newRow("notice") << "Label1"
                            << "Veuillez patienter pendant le calcul des statistiques..."
                            << QRect(0, -1, 464, 20);
    QTest::newRow("bar") << "Progress"
                         << "" << QRect(3, 25, 383, 11);
    QTest::newRow("file number") << "Label2"
                                 << "" << QRect(387, 23, 46, 16);
}

void TestCalculs::layout()
{
    QFETCH(QString, control);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);

    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    std::unique_ptr<Calculs> calculs(idleCalculs(bed));

    if (control == QLatin1String("Calculs")) {
        QCOMPARE(QRect(QPoint(), calculs->size()), geometry);
        QVERIFY(calculs->windowFlags() & Qt::FramelessWindowHint);
        return;
    }
    QWidget *widget = calculs->findChild<QWidget *>(control);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        QCOMPARE(label->text(), caption);
        // Bold 12 points, or smaller where the face is wider: the notice always shows whole.
        QVERIFY(label->text().isEmpty()
                || (label->font().bold() && label->font().pointSizeF() <= 12.0
                    && label->fontMetrics().horizontalAdvance(label->text()) <= calculs->width()));
    }
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

    QTRY_COMPARE(bed.dialogs.count("message"), 1);
    const ScriptedDialogs::Shown &message = bed.dialogs.shown.at(0);
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

    // The window says what went wrong and how to go back, and the reason is French.
    QCOMPARE(calculs->findChild<QLabel *>("Label1")->text(),
             QStringLiteral("Les statistiques n'ont pas pu être mises à jour.\n"
                            "Cliquez ici ou appuyez sur Échap pour revenir aux résultats."));
    QVERIFY(calculs->findChild<QProgressBar *>("Progress")->isHidden());
    QVERIFY2(message.details.startsWith("Le dossier des logs "), qPrintable(message.details));
    QCOMPARE(calculs->toolTip(), message.details);

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
    QCOMPARE(bed.dialogs.shown.size(), 0);
    // No log, yet the ranking was renumbered.
    QCOMPARE(TolvaneTestBed::namesShown(fresh->tabResult()), QStringList({"Bob", "Alice"}));
}

namespace {

/** Notes what the progress window showed the first time it was painted. */
class FirstPaint final : public QObject
{
public:
    QString label1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && label1.isNull()) {
            if (auto *calculs = qobject_cast<Calculs *>(watched))
                label1 = calculs->findChild<QLabel *>("Label1")->text();
        }
        return false;
    }
};

/**
 * Another program that keeps the database: one that holds the writer lock of the updates, as a
 * running update does, or one that keeps a write transaction open without knowing of the lock.
 */
std::unique_ptr<QProcess> holdDatabase(const QString &kind, const QString &database)
{
    auto process = std::make_unique<QProcess>();
    if (kind == QLatin1String("writer lock")) {
        process->start(QStandardPaths::findExecutable("flock"),
                       {database + ".lock", "-c", "echo held; read line"});
    } else {
        process->start(QStandardPaths::findExecutable("sqlite3"), {database});
        process->write("BEGIN IMMEDIATE;\nSELECT 'held';\n");
    }
    if (!process->waitForStarted())
        return nullptr;
    while (!process->readAllStandardOutput().contains("held")) {
        if (!process->waitForReadyRead(10000))
            return nullptr;
    }
    return process;
}

void release(QProcess &holder)
{
    holder.write("COMMIT;\n");
    holder.closeWriteChannel();
    holder.waitForFinished(10000);
}

} // namespace

void TestCalculs::waitsInSightForAnotherWriter_data()
{
    QTest::addColumn<QString>("holder");
    QTest::addColumn<bool>("reset");
    QTest::addColumn<int>("releaseAfterMs");
    QTest::addColumn<int>("boundMs");
    QTest::addColumn<QString>("waiting");
    QTest::addColumn<QString>("reason");

    const QString update = "En attente de la fin d'une autre mise à jour...";
    const QString program = "En attente d'un autre programme qui écrit dans la base...";
    QTest::newRow("another update ends in time")
        << "writer lock" << false << 1000 << 60000 << update << "";
    QTest::newRow("another update outlasts the bound")
        << "writer lock" << false << -1 << 1500 << update
        << "Une autre mise à jour écrit dans la base";
    QTest::newRow("another program's transaction ends in time")
        << "transaction" << false << 1500 << 60000 << program << "";
    QTest::newRow("another program's transaction outlasts the bound")
        << "transaction" << false << -1 << 1500 << program
        << "elle est occupée par un autre programme";
    QTest::newRow("a reset waits for another update to end")
        << "writer lock" << true << 1000 << 60000 << update << "";
    QTest::newRow("a reset outlasted by another update")
        << "writer lock" << true << -1 << 1500 << update
        << "Une autre mise à jour écrit dans la base";
    QTest::newRow("a reset waits for another program's transaction to end")
        << "transaction" << true << 1500 << 60000 << program << "";
}

void TestCalculs::waitsInSightForAnotherWriter()
{
    QFETCH(QString, holder);
    QFETCH(bool, reset);
    QFETCH(int, releaseAfterMs);
    QFETCH(int, boundMs);
    QFETCH(QString, waiting);
    QFETCH(QString, reason);

    TolvaneTestBed bed;
    QVERIFY(bed.isReady());
    bed.context.writerWaitBound = std::chrono::milliseconds(boundMs);
    QVERIFY(bed.addPlayer("Alice", 1, 1) && bed.rank());
    QVERIFY(bed.writeLog("L0000001.log", {StatsTest::kill("Dave", "Erin", "deagle")}));
    const std::unique_ptr<QProcess> other = holdDatabase(holder, bed.store.path());
    QVERIFY2(other, "no second process holds the database");

    FirstPaint firstPaint;
    qApp->installEventFilter(&firstPaint);
    QPointer<Affiche> window(Affiche::showNew(bed.context));
    QElapsedTimer clock;
    clock.start();
    if (reset)
        window->RazStats();
    else
        window->MnuUpdate_Click();
    // Timers fire during the wait only if the window keeps handling its events meanwhile.
    QString shownWhileWaiting;
    QTimer::singleShot(700, [&] {
        if (const QList<Calculs *> shown = TolvaneTestBed::progressWindows(); !shown.isEmpty())
            shownWhileWaiting = shown.first()->findChild<QLabel *>("Label1")->text();
    });
    if (releaseAfterMs >= 0)
        QTimer::singleShot(releaseAfterMs, [&] { release(*other); });

    if (reason.isEmpty()) {
        Affiche *fresh = TolvaneTestBed::waitForNewResults(window, 30000);
        QVERIFY(fresh);
        QCOMPARE(bed.dialogs.shown.size(), 0);
        QStringList names = TolvaneTestBed::namesShown(fresh->tabResult());
        names.sort();
        QCOMPARE(names,
                 reset ? QStringList({"Dave", "Erin"}) : QStringList({"Alice", "Dave", "Erin"}));
        QVERIFY(clock.elapsed() >= releaseAfterMs);
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(bed.dialogs.count("message"), 1, 30000);
        const ScriptedDialogs::Shown &message = bed.dialogs.shown.at(0);
        QCOMPARE(message.title, QStringLiteral("Tolvane"));
        QCOMPARE(message.text,
                 reset ? QStringLiteral("Les statistiques n'ont pas pu être supprimées.")
                       : QStringLiteral("erreur"));
        // Nothing was emptied or counted.
        QCOMPARE(StatsTest::rowCount(bed.store), 1);
        QVERIFY2(message.details.contains(reason), qPrintable(message.details));
        QVERIFY2(message.details.contains(QDir::toNativeSeparators(bed.store.path())),
                 qPrintable(message.details));
        QVERIFY(clock.elapsed() >= boundMs);
        QVERIFY2(clock.elapsed() < boundMs + 5000, "the window waited past its bound");
        release(*other);
    }
    qApp->removeEventFilter(&firstPaint);
    QCOMPARE(firstPaint.label1,
             QStringLiteral("Veuillez patienter pendant le calcul des statistiques..."));
    QCOMPARE(shownWhileWaiting, waiting);
}

QTEST_MAIN(TestCalculs)
#include "test_calculs.moc"
