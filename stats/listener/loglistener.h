// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/listener/datagramsocket.h"
#include "stats/listener/endpoint.h"
#include "stats/listener/listenerfeedback.h"
#include "stats/listener/senderpolicy.h"
#include "stats/listener/spoolwriter.h"

#include <QEventLoop>
#include <QHash>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

class QSocketNotifier;
class QTextStream;
class StopSignals;

/**
 * Receives the log stream game servers send over UDP ("logaddress_add") and hands it to the
 * ordinary update run: each accepted line is appended to its server's spool file at once, and
 * every interval the update run counts the spool folder in a process of its own, so that
 * receiving never waits for counting and a window or a timer counting at the same time is
 * kept apart by the update's own writer lock.
 *
 * One thread: the socket is read between other events, in batches, with a large receive
 * buffer; what the system still drops is counted and reported. Below a floor of free space on
 * the spool folder's disk, lines are dropped rather than written, counted and reported. SIGTERM
 * or SIGINT stops the reading, writes what was received, closes the spool files, runs a last
 * count and ends.
 */
class LogListener final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LogListener)

public:
    static constexpr std::chrono::seconds defaultInterval {60};
    static constexpr std::chrono::seconds defaultSilence {600};
    static constexpr qint64 defaultKeepFreeMiB = 256;
    /// The exit status of a run that lost lines: not written, or dropped by the system.
    static constexpr int linesLostExit = 4;

    struct Options
    {
        Endpoint listen;
        SenderPolicy policy;
        QString spoolFolder;
        /// The update: "program --update --logs SPOOL" and these arguments.
        QString program;
        QStringList updateArguments;
        /// The database the update counts into, as the start-up message names it.
        QString database;
        std::chrono::seconds interval = defaultInterval;
        /// How long a server may send nothing before its file is closed and it is named.
        std::chrono::seconds silence = defaultSilence;
        /// Lines are dropped while less than this stays free on the spool folder's disk.
        qint64 keepFreeMiB = defaultKeepFreeMiB;
        /// Whether the update's parser can cut a line; the lines it cannot are reported.
        std::function<bool(QByteArrayView)> parses;
        /// Whether a line closes a log, by the update's own rule.
        std::function<bool(QByteArrayView)> closesLog;
    };

    /// The listener's own folder in the user's data folder, never the stored log folder, where
    /// a game server may write the same lines into its own files.
    static QString defaultSpoolFolder();
    /// defaultSilence, or the seconds of TOLVANE_LISTEN_IDLE_SECONDS: a hook for the tests,
    /// which cannot wait ten minutes.
    static std::chrono::seconds silenceFromEnvironment();

    LogListener(Options options, QTextStream &out, QTextStream &err);
    ~LogListener() override;

    /// Listens until SIGTERM or SIGINT; 0 when the last count succeeded, 1 when the listener
    /// could not start or the last count failed (what was received then waits in the spool
    /// folder for the next count), linesLostExit when lines were lost on the way, whatever the
    /// last count did.
    int run();

private:
    struct Sender
    {
        const SenderPolicy::Entry *entry = nullptr;
        QString spoolName;
        ListenerFeedback::Tally *tally = nullptr;
    };

    Result<> start();
    /// Before each batch of datagrams: the time, the folder still there, the room left.
    void beginBatch();
    void readDatagrams();
    /// Has the lines written since the last time checked to be in the spool folder still, and
    /// counts as lost those that could not be written again.
    void settle();
    void noticeRemadeFolder();
    void reportLosses();
    void take(const DatagramSocket::Datagram &datagram);
    Sender &senderOf(const DatagramSocket::Sender &sender);
    void checkSilence();
    void onInterval();
    void startUpdate(bool last);
    void updateFinished(int exitCode, QProcess::ExitStatus status);
    void stop(int signal);
    void finish(int exitCode);
    void say(const QStringList &lines);
    void warn(const QString &line);

    Options m_options;
    QTextStream &m_out;
    QTextStream &m_err;
    SpoolWriter m_spool;
    DatagramSocket m_socket;
    ListenerFeedback m_feedback;
    QHash<DatagramSocket::Sender, Sender> m_senders;
    QHash<QString, ListenerFeedback::Tally *> m_tallies; // by spool name
    QSocketNotifier *m_readable = nullptr;
    StopSignals *m_signals = nullptr;
    QTimer m_intervalTimer;
    QTimer m_silenceTimer;
    QProcess *m_update = nullptr;
    bool m_lastUpdate = false;
    QEventLoop m_loop;

    bool m_pending = true; // lines written since the last count began, or leftovers
    bool m_stopping = false;
    bool m_hinted = false;
    bool m_busyTold = false;
    QString m_writeFailure; // the last one, told once per interval
    qint64 m_floorDrops = 0; // since the last report
    int m_unsettled = 0; // lines written since the last settle()
    int m_remadeSeen = 0;
    qint64 m_batchMs = 0;
    SpoolWriter::Clock::time_point m_batchTime;
};
