// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/ui/calculs.h"

#include "platform/dialogs/dialogs.h"
#include "platform/dialogs/frenchreasons.h"
#include "platform/settings/settingsstore.h"
#include "platform/windowkit/windowkit.h"
#include "stats/analysis/updatejob.h"
#include "stats/store/datastats.h"
#include "stats/store/statspaths.h"
#include "stats/ui/affiche.h"
#include "stats/ui/tolvanecontext.h"
#include "stats/ui/tolvanetexts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

namespace {

const QSize clientSize = WindowKit::fromTwips(6525, 615);

// Painting once per line would cost more than the run itself on large logs: the window
// repaints at this pace, showing the line reached each time.
constexpr qint64 dispatchIntervalMs = 8;

// Inside the window a statement gives up soon on a transaction of another program: the wait
// goes on between tries, with the window drawn and saying why, instead of inside the database,
// where the window could neither repaint nor answer for the 15 s a statement may wait elsewhere.
constexpr std::chrono::milliseconds busyTimeout {250};
constexpr std::chrono::milliseconds retryInterval {250};

// A window that is never painted (minimised, say) must not keep the run from starting.
constexpr int paintGraceMs = 2000;

// Faces that stand in for MS Sans Serif are wider; a notice is shrunk to stay readable whole
// inside its place rather than cut off.
QFont noticeFont(qreal points, const QString &text, const QSize &room)
{
    return WindowKit::fittedFont(WindowKit::oldFont(points, true), text, room);
}

} // namespace

Calculs::Calculs(TolvaneContext &context, Affiche *results)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_context(context), m_results(results)
{
    setObjectName(QStringLiteral("Calculs"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(TolvaneTexts::programTitle());
    setFont(WindowKit::oldFont(8.25));
    setFixedSize(clientSize);

    m_Label1 = new QLabel(TolvaneTexts::pleaseWait(), this);
    WindowKit::place(m_Label1, "Label1", 0, -15, 6960, 300);
    m_Label1->setFont(noticeFont(12, TolvaneTexts::pleaseWait(), clientSize));

    m_Progress = new QProgressBar(this);
    WindowKit::place(m_Progress, "Progress", 45, 375, 5745, 165);
    m_Progress->setTextVisible(false);
    m_Progress->setRange(0, 100);
    m_Progress->setValue(0);

    m_Label2 = new QLabel(this);
    WindowKit::place(m_Label2, "Label2", 5805, 345, 690, 240);

    m_sinceDispatch.start();
    WindowKit::centreOnScreen(this);
}

Calculs::~Calculs() = default;

void Calculs::fileStarted(int number, int total, qint64 lastLineIndex)
{
    if (m_waiting)
        endWaiting();
    m_Label2->setText(QString::number(number) + QLatin1Char('/') + QString::number(total));
    m_lastLineIndex = lastLineIndex;
    m_lineIndex = 0;
    m_Progress->setValue(0);
    // A single line (last index 0) would turn the bar into a busy indicator.
    if (lastLineIndex >= 0)
        m_Progress->setRange(0, int(qBound(qint64(1), lastLineIndex, qint64(INT_MAX))));
    dispatchPendingEvents();
}

void Calculs::lineProcessed(qint64 lineIndex)
{
    m_lineIndex = lineIndex;
    if (lineIndex == m_lastLineIndex || m_sinceDispatch.elapsed() >= dispatchIntervalMs)
        dispatchPendingEvents();
}

void Calculs::dispatchPendingEvents()
{
    // The bar takes the current line just before each repaint: a value change costs about a
    // microsecond (the bar works out its whole look again), more than counting the line does.
    m_Progress->setValue(int(qMin(m_lineIndex, qint64(INT_MAX))));
    QCoreApplication::processEvents();
    m_sinceDispatch.restart();
}

void Calculs::waitingForWriter(std::chrono::milliseconds, std::chrono::milliseconds)
{
    showWaiting(TolvaneTexts::waitingForUpdate());
    QCoreApplication::processEvents();
}

void Calculs::waitingForDatabase()
{
    showWaiting(TolvaneTexts::waitingForDatabase());
}

void Calculs::showWaiting(const QString &text)
{
    if (!m_waiting || m_Label1->text() != text) {
        m_Label1->setFont(noticeFont(12, text, clientSize));
        m_Label1->setText(text);
    }
    if (!m_waiting) {
        m_Progress->setRange(0, 0); // a busy bar: nothing is counted while it waits
        m_Label2->clear();
    }
    m_waiting = true;
}

void Calculs::endWaiting()
{
    m_waiting = false;
    m_Label1->setFont(noticeFont(12, TolvaneTexts::pleaseWait(), clientSize));
    m_Label1->setText(TolvaneTexts::pleaseWait());
    m_Progress->setRange(0, 100);
    m_Progress->setValue(0);
}

void Calculs::showStopped(const QString &reason)
{
    m_waiting = false;
    m_Progress->hide();
    m_Label2->hide();
    const QRect room = rect().adjusted(4, 2, -4, -2);
    m_Label1->setGeometry(room);
    m_Label1->setAlignment(Qt::AlignCenter);
    m_Label1->setFont(noticeFont(9, TolvaneTexts::runStopped(), room.size()));
    m_Label1->setText(TolvaneTexts::runStopped());
    setToolTip(reason);
    setCursor(Qt::PointingHandCursor);
}

void Calculs::startUpdate()
{
    start(false);
}

void Calculs::startReset()
{
    start(true);
}

void Calculs::start(bool emptyFirst)
{
    if (m_started)
        return;
    m_started = true;
    m_emptyFirst = emptyFirst;
    // Nothing may wait before the window is on screen: a window mapped but not yet painted
    // shows what was behind it for as long as the wait lasts.
    if (m_painted) {
        QTimer::singleShot(0, this, &Calculs::UpdateRun);
        return;
    }
    m_startWhenPainted = true;
    QTimer::singleShot(paintGraceMs, this, [this] {
        if (!m_startWhenPainted)
            return;
        m_startWhenPainted = false;
        UpdateRun();
    });
}

void Calculs::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    m_painted = true;
    if (m_startWhenPainted) {
        m_startWhenPainted = false;
        QTimer::singleShot(0, this, &Calculs::UpdateRun);
    }
}

void Calculs::UpdateRun()
{
    m_running = true;
    if (m_results)
        m_results->close();
    DataStats &store = m_context.store;
    store.closeRecordSets();
    QCoreApplication::processEvents();

    UpdateJob job(store, StatsPaths(m_context.settings).logFolder());
    job.setWaitBound(m_context.writerWaitBound);
    job.setEmptyFirst(m_emptyFirst);
    job.setRetryWhileBusy(busyTimeout, retryInterval);
    m_sinceDispatch.start();
    const Result<> outcome = job.run(this);
    m_running = false;

    if (!outcome) {
        m_failed = true;
        const QString details = FrenchReasons::translate(outcome.failure());
        showStopped(details);
        const QString failure = job.failedStep() == UpdateJob::Step::Emptying
            ? TolvaneTexts::resetFailed()
            : TolvaneTexts::runFailed();
        m_context.dialogs.inform(this, TolvaneTexts::programTitle(), failure, details);
        // Escape reaches a window without a frame only once it is the active one.
        raise();
        activateWindow();
        return;
    }
    Affiche::showNew(m_context);
    close();
}

void Calculs::closeEvent(QCloseEvent *event)
{
    // A run cannot be stopped half-way: the file being counted would be left unfinished.
    if (m_running) {
        event->ignore();
        return;
    }
    if (m_failed) {
        m_failed = false;
        Affiche::showNew(m_context);
    }
    QWidget::closeEvent(event);
}

void Calculs::keyPressEvent(QKeyEvent *event)
{
    if (m_failed && event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Calculs::mousePressEvent(QMouseEvent *event)
{
    if (m_failed) {
        close();
        return;
    }
    QWidget::mousePressEvent(event);
}
