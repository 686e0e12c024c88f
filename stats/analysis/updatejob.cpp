// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/analysis/updatejob.h"

#include "stats/store/datastats.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <utility>

UpdateJob::UpdateJob(DataStats &store, QString logFolder)
    : m_store(store), m_logFolder(std::move(logFolder))
{ }

void UpdateJob::setRetryWhileBusy(std::chrono::milliseconds statementWait,
                                  std::chrono::milliseconds retryInterval)
{
    m_retryWhileBusy = true;
    m_statementWait = statementWait;
    m_retryInterval = retryInterval;
}

Result<> UpdateJob::run(UpdateObserver *observer)
{
    m_summary = {};
    std::optional<std::chrono::milliseconds> previousTimeout;
    if (m_retryWhileBusy) {
        if (const auto previous = m_store.setBusyTimeout(m_statementWait))
            previousTimeout = *previous;
    }
    QElapsedTimer clock;
    clock.start();
    bool emptied = !m_emptyFirst;
    Result<> outcome;
    while (true) {
        const auto left = std::max(std::chrono::milliseconds(0),
                                   m_waitBound - std::chrono::milliseconds(clock.elapsed()));
        outcome = runOnce(left, emptied, observer);
        if (outcome || !m_retryWhileBusy || outcome.failure().kind() != Failure::Kind::Busy
            || clock.elapsed() >= m_waitBound.count())
            break;
        if (observer)
            observer->waitingForDatabase();
        QEventLoop pause;
        QTimer::singleShot(m_retryInterval, &pause, &QEventLoop::quit);
        pause.exec();
    }
    // A connection that refuses its old wait back keeps the short one: its statements only give
    // up sooner.
    if (previousTimeout)
        (void)m_store.setBusyTimeout(*previousTimeout);
    return outcome;
}

Result<> UpdateJob::runOnce(std::chrono::milliseconds left, bool &emptied, UpdateObserver *observer)
{
    if (!emptied) {
        // The lock taken here is the job's own: it is held from the emptying to the ranking.
        Result<> emptying =
            m_store.lockWriter(left, [observer, left](std::chrono::milliseconds waited) {
                if (observer)
                    observer->waitingForWriter(waited, left);
            });
        if (emptying)
            emptying = m_store.clearStats();
        emptied = emptying.ok();
        if (!emptied) {
            m_failedStep = Step::Emptying;
            m_store.unlockWriter();
            return emptying;
        }
    }
    UpdateRun run(m_store, m_logFolder);
    run.setWaitBound(left);
    const Result<> counted = run.run(observer);
    // The emptying's hold, when the run ended before it took the lock over.
    m_store.unlockWriter();
    m_failedStep = Step::Counting;
    m_summary = run.summary();
    return counted;
}
