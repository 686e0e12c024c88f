// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/listener/loglistener.h"

#include "platform/cli/plural.h"
#include "stats/listener/logpacket.h"
#include "stats/listener/stopsignals.h"

#include <QDateTime>
#include <QDir>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTextStream>

#include <csignal>

namespace {

// Asked of the system for the socket; it may grant less (net.core.rmem_max).
constexpr int wantedBuffer = 8 << 20;
// Below this a burst of a busy server can overflow the buffer while a spool file is written.
constexpr int enoughBuffer = 4 << 20;
// Datagrams read before other events get their turn.
constexpr int datagramsPerTurn = 4096;
// Beyond this many senders, unknown ones are judged afresh for each packet instead of kept.
constexpr qsizetype keptSenders = 4096;
// Lines written between two looks at whether their files are still in the spool folder: a look
// costs a system call per file, and lines written into a file deleted meanwhile are written
// again, so that a count reading them just before the deletion would count them twice.
constexpr int settleEvery = 64;
constexpr qint64 mebibyte = 1 << 20;

QString signalName(int signal)
{
    return signal == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM");
}

} // namespace

QString LogListener::defaultSpoolFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/Spool");
}

std::chrono::seconds LogListener::silenceFromEnvironment()
{
    bool valid = false;
    const int seconds = qEnvironmentVariableIntValue("TOLVANE_LISTEN_IDLE_SECONDS", &valid);
    return valid && seconds > 0 ? std::chrono::seconds(seconds) : defaultSilence;
}

LogListener::LogListener(Options options, QTextStream &out, QTextStream &err)
    : m_options(std::move(options)), m_out(out), m_err(err),
      m_spool(m_options.spoolFolder, m_options.closesLog)
{
    m_spool.setFloor(m_options.keepFreeMiB * mebibyte);
}

LogListener::~LogListener()
{
    if (m_update && m_update->state() != QProcess::NotRunning) {
        // A count stopped anywhere keeps every line for the next one.
        m_update->disconnect(this);
        m_update->kill();
        m_update->waitForFinished(5000);
    }
}

void LogListener::say(const QStringList &lines)
{
    for (const QString &line : lines)
        m_out << "tolvane: " << line << "\n";
    m_out.flush();
}

void LogListener::warn(const QString &line)
{
    m_err << "tolvane: " << line << "\n";
    m_err.flush();
}

int LogListener::run()
{
    if (const Result<> started = start(); !started) {
        warn(started.reason());
        return 1;
    }
    return m_loop.exec();
}

Result<> LogListener::start()
{
    const QString spool = QDir::toNativeSeparators(m_options.spoolFolder);
    if (m_options.policy.isEmpty())
        return Result<>::failure(QStringLiteral("no game server named: give --allow "
                                                "ADDRESS[:PORT][/SECRET] for each"));
    if (const Result<> prepared = m_spool.prepare(); !prepared)
        return prepared;
    const Result<QStringList> leftovers = m_spool.closeLeftovers();
    if (!leftovers)
        return Result<>::failure(leftovers.failure());

    if (const Result<> bound = m_socket.bind(m_options.listen, wantedBuffer, LogPacket::maxSize);
        !bound)
        return bound;
    m_signals = new StopSignals(this);
    if (!m_signals->isReady())
        return Result<>::failure(QStringLiteral("cannot catch SIGTERM and SIGINT"));
    connect(m_signals, &StopSignals::stopRequested, this, &LogListener::stop);
    m_readable = new QSocketNotifier(m_socket.descriptor(), QSocketNotifier::Read, this);
    connect(m_readable, &QSocketNotifier::activated, this, &LogListener::readDatagrams);

    using namespace std::chrono;
    m_intervalTimer.setInterval(duration_cast<milliseconds>(m_options.interval));
    connect(&m_intervalTimer, &QTimer::timeout, this, &LogListener::onInterval);
    m_intervalTimer.start();
    m_silenceTimer.setInterval(duration_cast<milliseconds>(
        std::clamp<seconds>(m_options.silence / 10, seconds(1), m_options.interval)));
    connect(&m_silenceTimer, &QTimer::timeout, this, &LogListener::checkSilence);
    m_silenceTimer.start();

    const Endpoint local = m_socket.local();
    const QString port = QString::number(local.port);
    QStringList lines;
    lines << QStringLiteral("listening for game server logs on UDP port %1 %2, receive buffer "
                            "%3 KiB")
                 .arg(port,
                      local.address.isNull() ? QStringLiteral("(every address of this machine)")
                                             : QStringLiteral("of ") + local.address.toString())
                 .arg(m_socket.bufferBytes() / 1024);
    lines << QStringLiteral("accepting %1").arg(m_options.policy.describe().join(u", "));
    lines << QStringLiteral("spool folder %1 (%2); every %3 s the lines received are counted "
                            "into %4")
                 .arg(spool,
                      m_options.keepFreeMiB > 0
                          ? QStringLiteral("lines are dropped while less than %1 MiB stays free "
                                           "on its disk")
                                .arg(m_options.keepFreeMiB)
                          : QStringLiteral("written until its disk is full"))
                 .arg(m_options.interval.count())
                 .arg(m_options.database);
    lines << QStringLiteral("on each game server: log on; logaddress_add <this machine's address> "
                            "%1 (with sv_logsecret <number> where --allow gives a secret)")
                 .arg(port);
    if (!leftovers->isEmpty())
        lines << QStringLiteral("closed %1 an earlier listener left open: %2")
                     .arg(Plural::counted(leftovers->size(), QStringLiteral("spool file")))
                     .arg(leftovers->join(u", "));
    say(lines);
    const QStringList unkeyed = m_options.policy.loopbackWithoutSecret();
    for (const QString &sender : unkeyed)
        warn(QStringLiteral("warning: --allow %1 takes any user of this machine for a game "
                            "server; give it the server's sv_logsecret: --allow %1/SECRET")
                 .arg(sender));
    if (!m_spool.hasRoom(0))
        warn(QStringLiteral("warning: the disk of the spool folder has %1 MiB free, less than the "
                            "%2 MiB kept free (--keep-free): lines are dropped until there is "
                            "room")
                 .arg(m_spool.freeBytes() / mebibyte)
                 .arg(m_options.keepFreeMiB));
    if (m_socket.bufferBytes() < enoughBuffer)
        warn(QStringLiteral("warning: the system grants a receive buffer of only %1 KiB; raise "
                            "net.core.rmem_max (for example to %2) so that bursts are not dropped")
                 .arg(m_socket.bufferBytes() / 1024)
                 .arg(wantedBuffer));
    return {};
}

void LogListener::beginBatch()
{
    m_batchMs = QDateTime::currentMSecsSinceEpoch();
    m_batchTime = SpoolWriter::Clock::now();
    if (const Result<> folder = m_spool.checkFolder(); !folder)
        m_writeFailure = folder.reason();
    noticeRemadeFolder();
    m_spool.measureRoom();
}

void LogListener::readDatagrams()
{
    beginBatch();
    const Result<int> read = m_socket.receive(
        datagramsPerTurn, [this](const DatagramSocket::Datagram &datagram) { take(datagram); });
    if (!read)
        warn(read.reason());
    settle();
    m_feedback.setSystemDrops(m_socket.systemDrops());
}

void LogListener::settle()
{
    m_unsettled = 0;
    const std::vector<SpoolWriter::Lost> lost = m_spool.settle();
    for (const SpoolWriter::Lost &lines : lost) {
        m_writeFailure = lines.reason;
        ListenerFeedback::Tally *tally = m_tallies.value(lines.server);
        if (!tally)
            continue;
        tally->lines -= lines.lines;
        tally->notWritten += lines.lines;
        tally->changed = true;
        // What the parser skips is told of the lines written only.
        QByteArrayView rest(lines.bytes);
        while (!rest.isEmpty()) {
            const qsizetype end = rest.indexOf('\n');
            const QByteArrayView line = end < 0 ? rest : rest.first(end);
            if (!line.isEmpty() && !m_options.parses(line))
                --tally->skipped;
            rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        }
    }
    noticeRemadeFolder();
}

void LogListener::noticeRemadeFolder()
{
    if (m_spool.remade() == m_remadeSeen)
        return;
    m_remadeSeen = m_spool.remade();
    m_pending = true;
    warn(QStringLiteral("the spool folder %1 was deleted or replaced while listening: made it "
                        "again; the lines received since are written there")
             .arg(QDir::toNativeSeparators(m_options.spoolFolder)));
}

void LogListener::reportLosses()
{
    if (!m_writeFailure.isEmpty()) {
        warn(m_writeFailure);
        m_writeFailure.clear();
    }
    if (m_floorDrops > 0) {
        warn(QStringLiteral("less than %1 MiB free on the disk of the spool folder %2 (%3 MiB): "
                            "%4 dropped, not written, since the last report; make room or "
                            "lower --keep-free")
                 .arg(m_options.keepFreeMiB)
                 .arg(QDir::toNativeSeparators(m_options.spoolFolder))
                 .arg(std::max<qint64>(0, m_spool.freeBytes()) / mebibyte)
                 .arg(Plural::counted(m_floorDrops, QStringLiteral("line"))));
        m_floorDrops = 0;
    }
}

LogListener::Sender &LogListener::senderOf(const DatagramSocket::Sender &raw)
{
    auto it = m_senders.find(raw);
    if (it != m_senders.end())
        return *it;
    const QHostAddress address = raw.hostAddress();
    Sender sender;
    sender.entry = m_options.policy.find(address, raw.port);
    if (sender.entry) {
        const Endpoint endpoint {address, raw.port};
        sender.spoolName = SpoolWriter::serverName(address, raw.port);
        sender.tally = &m_feedback.server(endpoint.toString());
        m_tallies.insert(sender.spoolName, sender.tally);
    } else if (m_senders.size() >= keptSenders) {
        static Sender unknown;
        return unknown;
    }
    return *m_senders.insert(raw, sender);
}

void LogListener::take(const DatagramSocket::Datagram &datagram)
{
    Sender &sender = senderOf(datagram.sender);
    if (!sender.entry) {
        // Nothing of an unknown sender is looked at further, nor written.
        m_feedback.refuseUnknown(datagram.sender.hostAddress(), m_batchMs);
        return;
    }
    ListenerFeedback::Tally &tally = *sender.tally;
    ++tally.packets;
    tally.lastPacketMs = m_batchMs;
    tally.lastSeen = m_batchTime;
    tally.changed = true;
    const LogPacket packet = LogPacket::parse(datagram.bytes, datagram.truncated);
    if (!packet.isValid()) {
        ++tally.dropped[std::size_t(packet.fault())];
        return;
    }
    switch (SenderPolicy::check(sender.entry, packet)) {
    case SenderPolicy::Verdict::Accepted:
        break;
    case SenderPolicy::Verdict::WrongSecret:
        ++tally.wrongSecret;
        return;
    case SenderPolicy::Verdict::MissingSecret:
    case SenderPolicy::Verdict::UnknownSender:
        ++tally.missingSecret;
        return;
    }
    // Below the floor a line is refused whole, before any byte of it reaches the disk.
    if (!m_spool.hasRoom(packet.line().size() + 1)) {
        ++tally.belowFloor;
        ++m_floorDrops;
        return;
    }
    if (const Result<> written = m_spool.append(sender.spoolName, packet.line(), m_batchTime);
        !written) {
        ++tally.notWritten;
        m_writeFailure = written.reason();
        return;
    }
    ++tally.lines;
    if (!m_options.parses(packet.line()))
        ++tally.skipped;
    m_pending = true;
    if (++m_unsettled >= settleEvery)
        settle();
}

void LogListener::checkSilence()
{
    const auto now = SpoolWriter::Clock::now();
    const Result<QStringList> closed = m_spool.closeIdle(now, m_options.silence);
    if (!closed)
        warn(closed.reason());
    else if (!closed->isEmpty())
        m_pending = true;
    say(m_feedback.newlySilent(now, m_options.silence));
}

void LogListener::onInterval()
{
    say(m_feedback.changes());
    reportLosses();
    if (!m_hinted && !m_feedback.anythingReceived()) {
        m_hinted = true;
        warn(QStringLiteral("nothing received yet on UDP port %1: on the game server, log on and "
                            "logaddress_add; check that no firewall drops UDP to this port")
                 .arg(m_socket.local().port));
    }
    if (m_update) {
        if (!m_busyTold)
            say({QStringLiteral("the count begun earlier still runs; the next one waits for it")});
        m_busyTold = true;
        return;
    }
    m_busyTold = false;
    if (m_pending)
        startUpdate(false);
}

void LogListener::startUpdate(bool last)
{
    m_pending = false;
    m_lastUpdate = last;
    m_update = new QProcess(this);
    m_update->setProgram(m_options.program);
    m_update->setArguments(
        QStringList {QStringLiteral("--update"), QStringLiteral("--logs"), m_options.spoolFolder}
        + m_options.updateArguments);
    // Its warnings ("waiting for another update") reach the user as it writes them.
    m_update->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(m_update, &QProcess::finished, this, &LogListener::updateFinished);
    connect(m_update, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            updateFinished(-1, QProcess::CrashExit);
    });
    m_update->start();
}

void LogListener::updateFinished(int exitCode, QProcess::ExitStatus status)
{
    if (!m_update)
        return;
    QStringList lines;
    const QStringList output =
        QString::fromLocal8Bit(m_update->readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : output) {
        // A count that found no file to count has nothing to tell: idle intervals stay quiet.
        if (line.startsWith(QLatin1String("0 files (")))
            continue;
        lines << QStringLiteral("counted: ") + line;
    }
    say(lines);
    const bool counted = status == QProcess::NormalExit && exitCode == 0;
    if (!counted) {
        m_pending = true;
        const QString why = status != QProcess::NormalExit
            ? QStringLiteral("the count could not run (%1)").arg(m_update->errorString())
            : exitCode == 3 ? QStringLiteral("another update kept the database busy")
                            : QStringLiteral("the count failed (exit status %1)").arg(exitCode);
        warn(QStringLiteral("%1; the lines received wait in %2 for the next count")
                 .arg(why, QDir::toNativeSeparators(m_options.spoolFolder)));
    }
    m_update->deleteLater();
    m_update = nullptr;
    if (!m_stopping)
        return;
    if (m_lastUpdate)
        finish(counted ? 0 : 1);
    else
        startUpdate(true);
}

void LogListener::stop(int signal)
{
    if (m_stopping) {
        warn(QStringLiteral("%1 again: stopping without the last count; the lines received wait "
                            "in %2 for the next one")
                 .arg(signalName(signal), QDir::toNativeSeparators(m_options.spoolFolder)));
        if (m_update) {
            m_update->disconnect(this);
            m_update->kill();
        }
        finish(1);
        return;
    }
    m_stopping = true;
    say({QStringLiteral("%1: writing what was received, then a last count")
             .arg(signalName(signal))});
    m_intervalTimer.stop();
    m_silenceTimer.stop();
    // What the system already holds was sent before the stop: it is written too.
    m_readable->setEnabled(false);
    for (int turn = 0; turn < 1000; ++turn) {
        beginBatch();
        const Result<int> read = m_socket.receive(
            datagramsPerTurn, [this](const DatagramSocket::Datagram &d) { take(d); });
        settle();
        if (!read || *read == 0)
            break;
    }
    m_feedback.setSystemDrops(m_socket.systemDrops());
    m_socket.close();
    if (const Result<QStringList> closed = m_spool.closeAll(); !closed)
        warn(closed.reason());
    noticeRemadeFolder();
    say(m_feedback.changes(true));
    reportLosses();
    if (!m_update)
        startUpdate(true);
}

void LogListener::finish(int exitCode)
{
    const qint64 notWritten = m_feedback.linesNotWritten();
    const quint32 dropped = m_feedback.systemDrops();
    if (notWritten > 0 || dropped > 0) {
        warn(QStringLiteral("lines were lost during this run: %1 not written to the spool folder, "
                            "%2 datagrams dropped by the system; exit status %3")
                 .arg(notWritten)
                 .arg(dropped)
                 .arg(linesLostExit));
        exitCode = linesLostExit;
    }
    m_loop.exit(exitCode);
}
