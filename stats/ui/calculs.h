// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/analysis/updaterun.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

struct TolvaneContext;
class Affiche;
class QLabel;
class QProgressBar;

/**
 * The progress window of an update run. Once shown and painted it closes the results window,
 * runs the update to the end and shows a new results window. While another program writes to
 * the database it says so and waits, at most the context's wait bound. After a failed run it
 * says how to go back, and stays open until a click or Escape brings the results window back.
 */
class Calculs final : public QWidget, public UpdateObserver
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Calculs)

public:
    /// \a results is the window that the run closes.
    Calculs(TolvaneContext &context, Affiche *results);
    ~Calculs() override;

    /// Runs the update once the window is on screen, as its activation would start it.
    void startUpdate();
    /// The same, after emptying the statistics; no other update can slip in between the two.
    void startReset();
    bool hasFailed() const { return m_failed; }

    void fileStarted(int number, int total, qint64 lastLineIndex) override;
    void lineProcessed(qint64 lineIndex) override;
    void waitingForWriter(std::chrono::milliseconds waited,
                          std::chrono::milliseconds bound) override;
    void waitingForDatabase() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void start(bool emptyFirst);
    void UpdateRun();
    void dispatchPendingEvents();
    void showWaiting(const QString &text);
    void endWaiting();
    void showStopped(const QString &reason);

    TolvaneContext &m_context;
    QPointer<Affiche> m_results;
    QLabel *m_Label1 = nullptr;
    QProgressBar *m_Progress = nullptr;
    QLabel *m_Label2 = nullptr;
    QElapsedTimer m_sinceDispatch;
    qint64 m_lineIndex = 0;
    qint64 m_lastLineIndex = -1;
    bool m_started = false;
    bool m_emptyFirst = false;
    bool m_painted = false;
    bool m_startWhenPainted = false;
    bool m_waiting = false;
    bool m_running = false;
    bool m_failed = false;
};
