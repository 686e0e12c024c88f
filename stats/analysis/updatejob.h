// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/analysis/updaterun.h"

#include "platform/result/result.h"

#include <QString>

#include <chrono>

class DataStats;

/**
 * One update of the statistics as the window and the command line start it: optionally the
 * statistics emptied first, then the update run, both under one hold of the writer lock so that
 * no other update slips in between.
 *
 * The job owns the waiting: for another update it waits at most the bound; for another
 * program's transaction it can give each statement only a short wait and try the whole job
 * again until the bound, handling events in between, so that a window stays drawn and says why.
 * It runs on the caller's thread.
 */
class UpdateJob
{
public:
    /// Which step a failed job stopped at.
    enum class Step { Emptying, Counting };

    UpdateJob(DataStats &store, QString logFolder);

    /// How long the job waits, in all, for another update or another program's transaction.
    void setWaitBound(std::chrono::milliseconds bound) { m_waitBound = bound; }
    /// Empties the statistics before counting, so that every log present counts from its start.
    void setEmptyFirst(bool emptyFirst) { m_emptyFirst = emptyFirst; }
    /// A statement waits at most \a statementWait for another program's transaction; the job
    /// then tries again every \a retryInterval until the bound has passed.
    void setRetryWhileBusy(std::chrono::milliseconds statementWait,
                           std::chrono::milliseconds retryInterval);

    /// Runs to the end or to the first failure, which leaves the statistics as they were before
    /// the step that failed.
    Result<> run(UpdateObserver *observer = nullptr);

    Step failedStep() const { return m_failedStep; }
    const UpdateSummary &summary() const { return m_summary; }

private:
    Result<> runOnce(std::chrono::milliseconds left, bool &emptied, UpdateObserver *observer);

    DataStats &m_store;
    QString m_logFolder;
    std::chrono::milliseconds m_waitBound = UpdateRun::defaultWaitBound;
    std::chrono::milliseconds m_statementWait {0};
    std::chrono::milliseconds m_retryInterval {0};
    bool m_emptyFirst = false;
    bool m_retryWhileBusy = false;
    Step m_failedStep = Step::Counting;
    UpdateSummary m_summary;
};
