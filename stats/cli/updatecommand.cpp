// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/cli/updatecommand.h"

#include "platform/cli/plural.h"

#include "stats/analysis/updatejob.h"
#include "stats/store/statspaths.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <utility>

namespace {

/** Says once on the command line that the run waits for another update. */
struct WaitNotice final : UpdateObserver
{
    QTextStream &err;
    QString database;
    bool told = false;

    WaitNotice(QTextStream &err, QString database) : err(err), database(std::move(database)) { }
    void fileStarted(int, int, qint64) override { }
    void lineProcessed(qint64) override { }
    bool followsLines() const override { return false; }
    void waitingForWriter(std::chrono::milliseconds, std::chrono::milliseconds bound) override
    {
        if (told)
            return;
        told = true;
        err << "tolvane: another update of " << database
            << " is running; waiting for it to finish (at most "
            << std::chrono::duration_cast<std::chrono::seconds>(bound).count() << " s)\n";
        err.flush();
    }
};

} // namespace

UpdateCommand::UpdateCommand()
    : Command(QStringLiteral("update"),
              {QStringLiteral("logs"), QStringLiteral("db"), QStringLiteral("host"),
               QStringLiteral("wait")})
{ }

int UpdateCommand::execute(const TolvaneRequest &request, const CommandContext &context) const
{
    StatsPaths paths(context.settings);
    const QString logFolder = request.logFolder.isEmpty() ? paths.logFolder() : request.logFolder;
    if (logFolder.isEmpty())
        return failed(context,
                      QStringLiteral("no log folder known; give the server's log folder with "
                                     "--logs DIR"),
                      2);
    // Checked before the database is opened, which would create it for nothing.
    if (!QFileInfo(logFolder).isDir())
        return failed(context,
                      QStringLiteral("the log folder %1 does not exist")
                          .arg(QDir::toNativeSeparators(logFolder)));
    const QString path = database(request, context);
    DataStats store;
    store.setHost(request.host.isEmpty() ? paths.host() : request.host);
    // A database that cannot be reached leaves every log where it is.
    if (const Result<> opened = store.open(path); !opened)
        return failed(context, opened.reason());
    UpdateJob job(store, logFolder);
    job.setWaitBound(request.wait);
    WaitNotice notice(context.err,
                      DataStats::isAddress(path) ? store.path() : QDir::toNativeSeparators(path));
    if (const Result<> counted = job.run(&notice); !counted)
        return counted.failure().kind() == Failure::Kind::LockTimeout
            ? failed(context, QStringLiteral("nothing was counted: ") + counted.reason(), 3)
            : failed(context, counted.reason());
    const UpdateSummary &s = job.summary();
    QTextStream &out = context.out;
    using Plural::counted;
    if (const int merged = store.mergedOnOpen() + s.merged; merged > 0)
        out << "merged " << counted(merged, "row")
            << " into the rows of players whose names differ only in letter case\n";
    if (s.filesReplaced > 0)
        out << counted(s.filesReplaced, "file was", "files were") << " replaced while counted; "
            << (s.filesReplaced == 1 ? "it stays" : "they stay") << " for the next run\n";
    out << counted(s.files, "file") << " (" << s.filesDeleted << " finished and deleted), "
        << counted(s.lines, "line") << ", " << counted(s.events, "event") << ", "
        << counted(s.malformed, "malformed line") << " skipped, " << counted(s.players, "player")
        << ", " << QString::number(s.seconds, 'f', 2) << " s\n";
    return 0;
}
