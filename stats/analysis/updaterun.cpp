// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/analysis/updaterun.h"

#include "platform/files/fileidentity.h"
#include "platform/files/filestore.h"
#include "stats/analysis/eventaccumulator.h"
#include "stats/analysis/logfilereader.h"
#include "stats/analysis/logparser.h"
#include "stats/analysis/logtext.h"
#include "stats/analysis/rankplayers.h"
#include "stats/store/datastats.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {

// Enough of a file's start to tell it from a later file of the same name: its first line
// carries the time the server opened it.
constexpr qint64 headSize = 4096;

QByteArray digest(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

bool isLogFileName(const QString &name)
{
    return name.size() >= 5 && name.startsWith(QLatin1Char('L'), Qt::CaseInsensitive)
        && name.endsWith(QLatin1String(".log"), Qt::CaseInsensitive);
}

} // namespace

UpdateRun::UpdateRun(DataStats &store, QString logFolder)
    : m_store(store), m_logFolder(std::move(logFolder))
{ }

Result<> UpdateRun::run(UpdateObserver *observer)
{
    QElapsedTimer clock;
    clock.start();
    m_summary = {};
    m_store.closeRecordSets();

    const QDir folder(m_logFolder);
    if (m_logFolder.isEmpty() || !folder.exists())
        return Result<>::failure(Failure(Failure::Kind::Other,
                                         QStringLiteral("the log folder does not exist"),
                                         QDir::toNativeSeparators(m_logFolder), {}));

    const auto logFiles = [&folder] {
        QFileInfoList files;
        const QFileInfoList entries =
            folder.entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden, QDir::Name);
        for (const QFileInfo &entry : entries) {
            if (isLogFileName(entry.fileName()))
                files.append(entry);
        }
        return files;
    };
    // A run that has to wait for another writer reads its logs first, so that machines started
    // together only take turns to write; one that need not wait commits log by log, as a run
    // stopped half-way then keeps more. The window follows the lines as they are counted: its
    // runs read them under the lock.
    EventAccumulator early(m_store);
    std::vector<Counted> counted;
    Result<> locked = m_store.lockWriter(std::chrono::milliseconds(0));
    if (!locked && locked.failure().kind() == Failure::Kind::LockTimeout
        && (!observer || !observer->followsLines())) {
        qint64 bytes = 0;
        for (const QFileInfo &file : logFiles()) {
            bytes += file.size();
            if (bytes > earlyBytes || counted.size() >= batchFiles)
                break;
            Counted one;
            if (!countFile(file, 0, 0, early, nullptr, &one)) {
                counted.clear(); // read again under the lock, which tells the failure
                break;
            }
            counted.push_back(std::move(one));
        }
    }
    const UpdateSummary earlySummary = std::exchange(m_summary, {});

    // Everything from the list of files to the ranking happens under the lock: what another
    // run counted and deleted meanwhile is then simply no longer there.
    const auto bound = m_waitBound;
    if (!locked)
        locked = m_store.lockWriter(bound, [observer, bound](std::chrono::milliseconds waited) {
            if (observer)
                observer->waitingForWriter(waited, bound);
        });
    if (!locked)
        return locked;
    struct Unlock
    {
        DataStats &store;
        ~Unlock()
        {
            store.setCountsWaitForRanking(false);
            store.unlockWriter();
        }
    } unlock {m_store};

    const Result<int> merged = m_store.mendPlayers();
    if (!merged)
        return Result<>::failure(merged.failure());
    m_summary.merged = *merged;
    // The run ranks before its last commit, and the next writer mends what a run that stopped
    // left aside.
    m_store.setCountsWaitForRanking(true);

    QFileInfoList files = logFiles();
    // The accumulator cannot give back the counts of one file: all are kept, or none.
    if (!std::all_of(counted.cbegin(), counted.cend(),
                     [this](const Counted &file) { return unchanged(file); }))
        counted.clear();
    if (!counted.empty()) {
        if (const Result<> begun = m_store.beginTransaction(); !begun)
            return begun;
        m_inBatch = true;
        QSet<QString> done;
        for (const Counted &file : counted) {
            if (const Result<> recorded = record(file); !recorded)
                return abandonBatch(recorded);
            done.insert(file.path);
        }
        files.removeIf(
            [&done](const QFileInfo &file) { return done.contains(file.absoluteFilePath()); });
        m_summary.files = int(counted.size());
        m_summary.lines = earlySummary.lines;
        m_summary.events = earlySummary.events;
        m_summary.malformed = earlySummary.malformed;
        if (const Result<> committed = commitBatch(early, files.isEmpty()); !committed)
            return committed;
    }

    EventAccumulator accumulator(m_store);
    const int total = int(files.size());
    for (int i = 0; i < total; ++i) {
        ++m_summary.files;
        if (!m_inBatch) {
            if (const Result<> begun = m_store.beginTransaction(); !begun)
                return begun;
            m_inBatch = true;
        }
        if (const Result<> counted = countFile(files.at(i), i + 1, total, accumulator, observer);
            !counted)
            return abandonBatch(counted);
        // The last batch is ranked before it commits: nobody ever sees its rows unranked.
        const bool last = i + 1 == total;
        if (last || m_batchBytes >= batchBytes || m_finished.size() >= batchFiles) {
            if (const Result<> committed = commitBatch(accumulator, last); !committed)
                return committed;
        }
    }

    // Without any log the players are ranked all the same; the records of the files the last
    // batch deleted go too.
    const bool none = total == 0 && counted.empty();
    if (none || !m_forgotten.isEmpty()) {
        Result<> done = m_store.beginTransaction();
        for (const QString &key : std::as_const(m_forgotten)) {
            if (done)
                done = m_store.removeFileProgress(key);
        }
        if (done && none)
            done = rankAndRecordTime();
        if (done)
            done = m_store.commit();
        if (!done) {
            m_store.rollback();
            return done;
        }
        m_forgotten.clear();
    }
    const Result<int> players = m_store.rowCount();
    m_summary.players = players ? *players : -1;
    m_summary.seconds = double(clock.nsecsElapsed()) / 1e9;
    return {};
}

Result<> UpdateRun::rankAndRecordTime()
{
    // In the run's last transaction: the time shown with the ranking is that of its last pass.
    if (const Result<> ranked = RankPlayers(m_store); !ranked)
        return ranked;
    return m_store.setLastUpdate(QDateTime::currentDateTimeUtc());
}

Result<> UpdateRun::commitBatch(EventAccumulator &accumulator, bool last)
{
    // The records of files deleted after the last batch go with this one: a crash in between
    // leaves a record of a file that is gone, which no later file of that name matches.
    Result<> committed = accumulator.flush(last);
    for (const QString &key : std::as_const(m_forgotten)) {
        if (committed)
            committed = m_store.removeFileProgress(key);
    }
    if (committed && last)
        committed = rankAndRecordTime();
    if (committed)
        committed = m_store.commit();
    m_inBatch = false;
    m_batchBytes = 0;
    if (!committed)
        return abandonBatch(committed);
    m_forgotten.clear();

    // Only now that the counts are safely stored may the files go; a server still writing into
    // one would otherwise lose every later line into a deleted file. A file renamed over one
    // meanwhile (log shipping does that) was not counted: it stays for the next run.
    const std::vector<Counted> finished = std::exchange(m_finished, {});
    for (const Counted &file : finished) {
        const FileIdentity now = FileIdentity::of(file.path);
        if (!now.isSameFile(file.identity) || now.size() != file.to.offset) {
            ++m_summary.filesReplaced;
            continue;
        }
        QFile counted(file.path);
        if (!counted.remove())
            return Result<>::failure(FileStore::failureOf(counted,
                                                          QStringLiteral("cannot delete the log"),
                                                          QDir::toNativeSeparators(file.path)));
        ++m_summary.filesDeleted;
        m_forgotten.append(file.key);
    }
    return {};
}

Result<> UpdateRun::abandonBatch(const Result<> &why)
{
    m_store.rollback();
    m_inBatch = false;
    m_finished.clear();
    return why;
}

Result<> UpdateRun::countFile(const QFileInfo &info, int number, int total,
                              EventAccumulator &accumulator, UpdateObserver *waiter, Counted *early)
{
    UpdateObserver *observer = waiter && waiter->followsLines() ? waiter : nullptr;
    const QString path = info.absoluteFilePath();
    const QString shown = QDir::toNativeSeparators(path);
    auto fail = [&shown](const Failure &why) {
        return Result<>::failure(Failure::ofSystem(
            why.system(), QStringLiteral("cannot read the log"), shown, why.detail()));
    };
    LogFileReader reader(path);
    if (!reader.open())
        return fail(reader.failure());

    const QString key = info.canonicalFilePath();
    const Result<DataStats::FileProgress> progress = m_store.fileProgress(key);
    if (!progress)
        return Result<>::failure(progress.failure());
    const qint64 end = reader.countableEnd();
    // One read serves both the check against what an earlier run recorded and the new record;
    // a read that fails must not pass for "another file", which would be counted again.
    const qint64 headLength = std::min<qint64>(end, headSize);
    const qint64 recorded =
        progress->offset > 0 && progress->offset <= end ? progress->headLength : 0;
    const QByteArray head = reader.head(std::max(headLength, recorded));
    if (head.size() != std::max(headLength, recorded))
        return fail(reader.failure());
    qint64 start = 0;
    if (recorded > 0 && digest(QByteArrayView(head).first(recorded)) == progress->headDigest)
        start = progress->offset;

    if (observer) {
        // The bar steps once per line: the lines are counted first, which only the window needs.
        qint64 lines = 0;
        if (!reader.forEachBlock(
                start, [&lines](QByteArrayView block) { lines += LogText::lineCount(block); },
                [&lines] { ++lines; }))
            return fail(reader.failure());
        observer->fileStarted(number, total, lines - 1);
    }

    QByteArray buffer;
    qint64 index = 0;
    auto overlong = [&] {
        if (observer)
            observer->lineProcessed(index);
        ++index;
        ++m_summary.malformed;
    };
    const bool read = reader.forEachBlock(
        start,
        [&](QByteArrayView block) {
            // The search for a line's end tells whether it holds an apostrophe: the few lines
            // that do are rebuilt without, and the block is read once less.
            LogText::forEachLineNoting(block, '\'', [&](QByteArrayView line, bool apostrophe) {
                if (line.size() > LogFileReader::maxLineLength)
                    return overlong();
                if (observer)
                    observer->lineProcessed(index);
                ++index;
                const auto event =
                    ParseLogLine(apostrophe ? LogText::withoutApostrophes(line, buffer) : line);
                if (!event) {
                    ++m_summary.malformed;
                } else if (!event->isEmpty()) {
                    ++m_summary.events;
                    accumulator.AccumulateEvent(*event);
                }
            });
        },
        overlong);
    if (!read)
        return fail(reader.failure());
    m_summary.lines += index;
    accumulator.endFile();

    Counted counted {path,
                     key,
                     reader.identity(),
                     *progress,
                     start,
                     {end, digest(QByteArrayView(head).first(headLength)), headLength},
                     reader.isClosed()};
    if (early) {
        *early = std::move(counted);
        return {};
    }
    return record(counted);
}

Result<> UpdateRun::record(const Counted &counted)
{
    if (const Result<> recorded = m_store.setFileProgress(counted.key, counted.to); !recorded)
        return recorded;
    m_batchBytes += counted.to.offset - counted.start;
    if (counted.closed)
        m_finished.push_back(counted);
    return {};
}

bool UpdateRun::unchanged(const Counted &counted)
{
    // Another run of this machine may have counted the file, or a reset forgotten its record;
    // the file may have grown, or another been written under its name.
    const FileIdentity now = FileIdentity::of(counted.path);
    const Result<DataStats::FileProgress> progress = m_store.fileProgress(counted.key);
    QFile file(counted.path);
    return now.isSameFile(counted.identity) && now.size() == counted.identity.size() && progress
        && *progress == counted.from && file.open(QIODevice::ReadOnly)
        && digest(file.read(counted.to.headLength)) == counted.to.headDigest;
}
