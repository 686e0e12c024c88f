// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/files/fileidentity.h"
#include "platform/result/result.h"
#include "stats/store/datastats.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <vector>

class EventAccumulator;
class QFileInfo;

/** Told of the progress of an update run; the progress window shows it. */
class UpdateObserver
{
public:
    virtual ~UpdateObserver() = default;
    /// File \a number (1-based) of \a total starts; its lines are numbered 0..lastLineIndex.
    virtual void fileStarted(int number, int total, qint64 lastLineIndex) = 0;
    /// Called once per line, in order, before the line is parsed.
    virtual void lineProcessed(qint64 lineIndex) = 0;
    /// Whether fileStarted() and lineProcessed() are wanted: the lines of a file are then counted
    /// before it is read, which only a progress bar needs.
    virtual bool followsLines() const { return true; }
    /// Called about every 50 ms while the run waits for another update to finish.
    virtual void waitingForWriter(std::chrono::milliseconds waited, std::chrono::milliseconds bound)
    {
        Q_UNUSED(waited);
        Q_UNUSED(bound);
    }
    /// Called when another program's transaction held the database and the job tries again soon.
    virtual void waitingForDatabase() { }
};

/** What one update run did, for the summary line of the command line. */
struct UpdateSummary
{
    int files = 0; ///< matching log files taken up
    int filesDeleted = 0; ///< finished files removed from the log folder
    int filesReplaced = 0; ///< files replaced under their name while counted, left for later
    int merged = 0; ///< rows merged into another whose name folds alike
    qint64 lines = 0; ///< lines parsed
    qint64 events = 0; ///< lines that yielded an event
    qint64 malformed = 0; ///< lines skipped because a cut came out negative
    int players = 0; ///< rows in Stats after the run
    double seconds = 0;
};

/**
 * The update run: every "L*.log" file of the log folder is read, its lines parsed and
 * accumulated into the player rows, and the players ranked at the end.
 *
 * A file's counts are committed in one transaction together with how far the file has been
 * counted (small files share one); only then is a finished file deleted, and only if its name
 * still names the very file that was counted. A file that does not end with the server's "Log file
 * closed" line is still being written: it is counted up to its last complete line and kept, and the
 * next run counts only what was appended since.
 *
 * A run is the database's only writer from start to end: a second run waits for the first to
 * finish (at most the wait bound) and then counts only what is left. What it read of its logs
 * while it waited is written only if neither the files nor their records changed meanwhile.
 */
class UpdateRun
{
public:
    static constexpr std::chrono::seconds defaultWaitBound {300};

    UpdateRun(DataStats &store, QString logFolder);

    /// How long the run waits for another update of the same database before giving up.
    void setWaitBound(std::chrono::milliseconds bound) { m_waitBound = bound; }

    /// Runs to the end, or up to the first failure, after which the file being processed keeps
    /// none of its counts and stays in the folder.
    Result<> run(UpdateObserver *observer = nullptr);

    const UpdateSummary &summary() const { return m_summary; }

private:
    // Small logs are counted in batches of one transaction each: twenty thousand one-line files
    // must not cost twenty thousand synced commits. A log of a few megabytes commits on its own,
    // so that a run stopped half-way keeps the work of every log it finished.
    static constexpr qint64 batchBytes = 4 << 20;
    static constexpr std::size_t batchFiles = 2000;
    // Logs of at most this many bytes in all are counted before the lock is taken: what a file
    // that changed meanwhile makes the run count again stays small.
    static constexpr qint64 earlyBytes = 64 << 20;

    /// A file read into an accumulator.
    struct Counted
    {
        QString path;
        QString key;
        FileIdentity identity;
        DataStats::FileProgress from; ///< the record found when the count started
        qint64 start = 0;
        DataStats::FileProgress to;
        bool closed = false;
    };

    Result<> commitBatch(EventAccumulator &accumulator, bool last);
    /// Rolls the batch back, keeping the files it finished: \a why, passed on.
    Result<> abandonBatch(const Result<> &why);
    /// Ranks the players and records the time, inside the transaction that ends the run.
    Result<> rankAndRecordTime();
    /// Counts the file into \a accumulator and records its progress, or, given \a early, only
    /// tells there what it counted.
    Result<> countFile(const QFileInfo &info, int number, int total, EventAccumulator &accumulator,
                       UpdateObserver *observer, Counted *early = nullptr);
    Result<> record(const Counted &counted);
    /// Whether the file and its record are still as \a counted read them.
    bool unchanged(const Counted &counted);

    DataStats &m_store;
    QString m_logFolder;
    UpdateSummary m_summary;
    std::chrono::milliseconds m_waitBound = defaultWaitBound;
    bool m_inBatch = false;
    qint64 m_batchBytes = 0;
    std::vector<Counted> m_finished; // closed files of the open batch, deleted once it commits
    QStringList m_forgotten; // progress records of files deleted, removed with the next commit
};
