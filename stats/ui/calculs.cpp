#include "calculs.h"

#include "affiche.h"
#include "datastats.h"
#include "prompts.h"
#include "settingsstore.h"
#include "statspaths.h"
#include "tolvanecontext.h"
#include "tolvaneicon.h"
#include "tolvanetexts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>

namespace {

// Twips as the window was laid out, 15 to the pixel.
constexpr QSize clientSize(6525 / 15, 615 / 15);
constexpr QRect label1Geometry(0, -15 / 15, 6960 / 15, 300 / 15);
constexpr QRect progressGeometry(45 / 15, 375 / 15, 5745 / 15, 165 / 15);
constexpr QRect label2Geometry(5805 / 15, 345 / 15, 690 / 15, 240 / 15);

// Painting once per line would cost more than the run itself on large logs: the window
// repaints at this pace, showing the line reached each time.
constexpr qint64 dispatchIntervalMs = 8;

QFont windowFont(qreal pointSize, bool bold)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace

Calculs::Calculs(TolvaneContext &context, Affiche *results)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_context(context), m_results(results)
{
    setObjectName(QStringLiteral("Calculs"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(TolvaneTexts::programTitle());
    setWindowIcon(TolvaneIcon::icon());
    setFont(windowFont(8.25, false));
    setFixedSize(clientSize);

    m_label1 = new QLabel(TolvaneTexts::pleaseWait(), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    QFont label1Font = windowFont(12, true);
    // Faces that stand in for MS Sans Serif are wider; the notice is shrunk to stay readable
    // whole inside the window rather than cut off.
    while (label1Font.pointSizeF() > 6
           && QFontMetrics(label1Font).horizontalAdvance(TolvaneTexts::pleaseWait())
               > clientSize.width())
        label1Font.setPointSizeF(label1Font.pointSizeF() - 0.5);
    m_label1->setFont(label1Font);
    m_label1->setGeometry(label1Geometry);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_progress->setGeometry(progressGeometry);
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);

    m_label2 = new QLabel(this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setGeometry(label2Geometry);

    m_sinceDispatch.start();
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

Calculs::~Calculs() = default;

void Calculs::fileStarted(int number, int total, qint64 lastLineIndex)
{
    m_label2->setText(QString::number(number) + QLatin1Char('/') + QString::number(total));
    m_lastLineIndex = lastLineIndex;
    m_lineIndex = 0;
    m_progress->setValue(0);
    // A single line (last index 0) would turn the bar into a busy indicator.
    if (lastLineIndex >= 0)
        m_progress->setRange(0, int(qBound(qint64(1), lastLineIndex, qint64(INT_MAX))));
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
    m_progress->setValue(int(qMin(m_lineIndex, qint64(INT_MAX))));
    QCoreApplication::processEvents();
    m_sinceDispatch.restart();
}

void Calculs::startUpdate()
{
    if (m_started)
        return;
    m_started = true;
    QTimer::singleShot(0, this, &Calculs::UpdateRun);
}

void Calculs::UpdateRun()
{
    m_running = true;
    if (m_results)
        m_results->close();
    m_context.store.closeRecordSets();

    m_sinceDispatch.start();
    ::UpdateRun run(m_context.store, StatsPaths(m_context.settings).logFolder());
    const bool succeeded = run.run(this);
    m_running = false;

    if (!succeeded) {
        m_failed = true;
        m_context.prompts.showMessage(this, TolvaneTexts::programTitle(), TolvaneTexts::runFailed(),
                                      run.errorString());
        setToolTip(run.errorString());
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
