// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/testsupport/fulldisk.h"
#include "platform/testsupport/testfiles.h"
#include "stats/listener/logpacket.h"
#include "stats/listener/senderpolicy.h"
#include "stats/store/datastats.h"
#include "stats/tests/statstestsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/statvfs.h>

using namespace StatsTest;

namespace {

const QByteArray header("\xff\xff\xff\xff", 4);

QByteArray plain(const QByteArray &line)
{
    return header + "log " + line + QByteArray("\n\0", 2);
}

QByteArray keyed(const QByteArray &secret, const QByteArray &line)
{
    return header + 'S' + secret + line + QByteArray("\n\0", 2);
}

/// Lets events run until \a done says so, at most \a ms milliseconds.
bool waitUntil(const std::function<bool()> &done, int ms = 15000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(20);
    }
    return true;
}

/** A game server on the loopback: a UDP socket of its own that sends log lines. */
struct ScriptedServer
{
    QUdpSocket socket;
    quint16 to = 0;

    bool bind(const char *address) { return socket.bind(QHostAddress(QString(address)), 0); }
    quint16 port() const { return socket.localPort(); }
    bool send(const QByteArray &datagram)
    {
        return socket.writeDatagram(datagram, QHostAddress::LocalHost, to) == datagram.size();
    }
    /// Sends every line of \a lines plain, or keyed with \a secret when one is given.
    bool sendLines(const QList<QByteArray> &lines, const QByteArray &secret = {})
    {
        bool sent = true;
        for (const QByteArray &line : lines)
            sent = send(secret.isEmpty() ? plain(line) : keyed(secret, line)) && sent;
        return sent;
    }
};

/// The lines of a whole log, as StatsTest::log() writes them.
QList<QByteArray> logLines(const QList<QByteArray> &lines, bool closedLog = true)
{
    QList<QByteArray> all {started()};
    all += lines;
    if (closedLog)
        all << closed();
    return all;
}

QByteArray joined(const QList<QByteArray> &lines)
{
    QByteArray text;
    for (const QByteArray &line : lines)
        text += line + '\n';
    return text;
}

} // namespace

class TestLogListener : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void takesPacketsApart_data();
    void takesPacketsApart();
    void judgesSenders_data();
    void judgesSenders();
    void countsWhatServersSendAsTheirLogs_data();
    void countsWhatServersSendAsTheirLogs();
    void closesTheFilesOfSilentServers();
    void saysNothingOfIdleIntervals();
    void refusesToListenToEveryone_data();
    void refusesToListenToEveryone();
    void keepsEveryLineOfManySenders_data();
    void keepsEveryLineOfManySenders();
    void makesADeletedSpoolFolderAgain_data();
    void makesADeletedSpoolFolderAgain();
    void dropsLinesWhenTheDiskRunsShort_data();
    void dropsLinesWhenTheDiskRunsShort();

private:
    /// Starts "tolvane --listen 127.0.0.1:0" with \a more options, at most \a openFiles
    /// descriptors when given; its port in m_port.
    bool startListener(const QStringList &more, const QStringList &environment = {},
                       int openFiles = 0);
    /// Stops the listener with SIGTERM; its exit status, or -1 when it did not end normally.
    int stopListener();
    /// Everything the listener printed so far, on either channel.
    QString output();
    /// The table "tolvane --update" makes of \a logs in a folder of their own.
    QMap<QString, QStringList> countedFromFiles(const QList<QByteArray> &logs);
    QStringList spoolFiles() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_listener;
    QString m_spool;
    QString m_output;
    quint16 m_port = 0;
};

void TestLogListener::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_spool = m_dir->filePath("spool");
    m_output.clear();
}

void TestLogListener::cleanup()
{
    if (m_listener && m_listener->state() != QProcess::NotRunning) {
        m_listener->kill();
        m_listener->waitForFinished();
    }
    m_listener.reset();
    m_dir.reset();
}

void TestLogListener::takesPacketsApart_data()
{
    using Kind = LogPacket::Kind;
    using Fault = LogPacket::Fault;
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QByteArray>("secret");
    QTest::addColumn<QByteArray>("line");
    const QByteArray line = kill("Ann", "Bob", "awp");
    QTest::newRow("plain") << plain(line) << Kind::Plain << Fault::None << QByteArray() << line;
    QTest::newRow("plain, no line end")
        << header + "log " + line << Kind::Plain << Fault::None << QByteArray() << line;
    QTest::newRow("plain, CR LF and NULs") << header + "log " + line + QByteArray("\r\n\0\0", 4)
                                           << Kind::Plain << Fault::None << QByteArray() << line;
    QTest::newRow("keyed") << keyed("4242", line) << Kind::Keyed << Fault::None
                           << QByteArray("4242") << line;
    QTest::newRow("keyed, long secret")
        << keyed("12345678901234567890", line) << Kind::Keyed << Fault::None
        << QByteArray("12345678901234567890") << line;
    QTest::newRow("only a time stamp")
        << plain(stamp()) << Kind::Plain << Fault::None << QByteArray() << stamp();
    QTest::newRow("a server's longest line")
        << plain(stamp() + QByteArray(1000, 'x')) << Kind::Plain << Fault::None << QByteArray()
        << stamp() + QByteArray(1000, 'x');
    QTest::newRow("oversized") << plain(stamp() + QByteArray(2000, 'x')) << Kind::Invalid
                               << Fault::Oversized << QByteArray() << QByteArray();
    QTest::newRow("empty") << QByteArray() << Kind::Invalid << Fault::Truncated << QByteArray()
                           << QByteArray();
    QTest::newRow("header cut") << header.left(3) << Kind::Invalid << Fault::Truncated
                                << QByteArray() << QByteArray();
    QTest::newRow("word cut") << header + "lo" << Kind::Invalid << Fault::Truncated << QByteArray()
                              << QByteArray();
    QTest::newRow("time stamp cut") << header + "log L 08/05/2013 - 20:5" << Kind::Invalid
                                    << Fault::Truncated << QByteArray() << QByteArray();
    QTest::newRow("secret cut") << header + "S4242" << Kind::Invalid << Fault::Truncated
                                << QByteArray() << QByteArray();
    QTest::newRow("NUL inside") << plain(stamp() + QByteArray("a\0b", 3)) << Kind::Invalid
                                << Fault::Binary << QByteArray() << QByteArray();
    QTest::newRow("second line inside")
        << plain(line + "\n" + kill("Eve", "Bob", "awp")) << Kind::Invalid << Fault::Binary
        << QByteArray() << QByteArray();
    QTest::newRow("server query") << header + "TSource Engine Query" + QByteArray(1, '\0')
                                  << Kind::Invalid << Fault::NotLog << QByteArray() << QByteArray();
    QTest::newRow("no header") << "log " + line << Kind::Invalid << Fault::NotLog << QByteArray()
                               << QByteArray();
    QTest::newRow("keyed without digits")
        << header + "S" + line << Kind::Invalid << Fault::NotLog << QByteArray() << QByteArray();
    QTest::newRow("no time stamp")
        << plain("hello") << Kind::Invalid << Fault::NotLog << QByteArray() << QByteArray();
    QTest::newRow("random bytes") << QByteArray("\x17\x03\x03\x00\x2a\xff\xfe", 7) << Kind::Invalid
                                  << Fault::NotLog << QByteArray() << QByteArray();
}

void TestLogListener::takesPacketsApart()
{
    QFETCH(QByteArray, datagram);
    QFETCH(LogPacket::Kind, kind);
    QFETCH(LogPacket::Fault, fault);
    QFETCH(QByteArray, secret);
    QFETCH(QByteArray, line);
    const LogPacket packet = LogPacket::parse(datagram);
    QCOMPARE(packet.kind(), kind);
    QCOMPARE(packet.fault(), fault);
    QCOMPARE(packet.secret().toByteArray(), secret);
    QCOMPARE(packet.line().toByteArray(), line);
}

void TestLogListener::judgesSenders_data()
{
    using Verdict = SenderPolicy::Verdict;
    QTest::addColumn<QStringList>("allow");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("port");
    QTest::addColumn<QByteArray>("secret"); // sent with the packet; empty: a plain packet
    QTest::addColumn<Verdict>("verdict");
    // Any user of the machine can send from the loopback: it is no game server until named.
    const QStringList none;
    QTest::newRow("nobody named, loopback")
        << none << "127.0.0.1" << 27015 << QByteArray() << Verdict::UnknownSender;
    QTest::newRow("nobody named, IPv6 loopback")
        << none << "::1" << 27015 << QByteArray("7") << Verdict::UnknownSender;
    QTest::newRow("nobody named, another machine")
        << none << "192.0.2.7" << 27015 << QByteArray() << Verdict::UnknownSender;
    const QStringList loopback {"127.0.0.1/77"};
    QTest::newRow("loopback named, with its secret")
        << loopback << "127.0.0.1" << 27015 << QByteArray("77") << Verdict::Accepted;
    QTest::newRow("loopback named, without its secret")
        << loopback << "127.0.0.1" << 27015 << QByteArray() << Verdict::MissingSecret;
    QTest::newRow("loopback named, another loopback address")
        << loopback << "127.0.0.2" << 27015 << QByteArray("77") << Verdict::UnknownSender;
    const QStringList one {"192.0.2.7"};
    QTest::newRow("address, any port")
        << one << "192.0.2.7" << 4000 << QByteArray() << Verdict::Accepted;
    QTest::newRow("address, keyed packet needs no secret")
        << one << "192.0.2.7" << 4000 << QByteArray("99") << Verdict::Accepted;
    QTest::newRow("another address")
        << one << "192.0.2.8" << 27015 << QByteArray() << Verdict::UnknownSender;
    QTest::newRow("loopback once a server is named")
        << one << "127.0.0.1" << 27015 << QByteArray() << Verdict::UnknownSender;
    QTest::newRow("IPv4 mapped into IPv6")
        << one << "::ffff:192.0.2.7" << 27015 << QByteArray() << Verdict::Accepted;
    const QStringList ported {"192.0.2.7:27015/4242", "192.0.2.7:27016"};
    QTest::newRow("port and secret")
        << ported << "192.0.2.7" << 27015 << QByteArray("4242") << Verdict::Accepted;
    QTest::newRow("port, wrong secret")
        << ported << "192.0.2.7" << 27015 << QByteArray("4243") << Verdict::WrongSecret;
    QTest::newRow("port, secret missing")
        << ported << "192.0.2.7" << 27015 << QByteArray() << Verdict::MissingSecret;
    QTest::newRow("secret of a prefix")
        << ported << "192.0.2.7" << 27015 << QByteArray("424") << Verdict::WrongSecret;
    QTest::newRow("the other port, no secret asked")
        << ported << "192.0.2.7" << 27016 << QByteArray() << Verdict::Accepted;
    QTest::newRow("a port not named")
        << ported << "192.0.2.7" << 27017 << QByteArray("4242") << Verdict::UnknownSender;
    // The entry naming the port wins over the one for any port, whatever their order.
    const QStringList both {"192.0.2.7", "192.0.2.7:27015/1"};
    QTest::newRow("named port before any port")
        << both << "192.0.2.7" << 27015 << QByteArray() << Verdict::MissingSecret;
    QTest::newRow("any port for the others")
        << both << "192.0.2.7" << 27020 << QByteArray() << Verdict::Accepted;
    const QStringList six {"[2001:db8::7]:27015/5", "2001:db8::8"};
    QTest::newRow("IPv6 with port and secret")
        << six << "2001:db8::7" << 27015 << QByteArray("5") << Verdict::Accepted;
    QTest::newRow("IPv6 written another way")
        << six << "2001:0db8:0:0::7" << 27015 << QByteArray("5") << Verdict::Accepted;
    QTest::newRow("bare IPv6, any port")
        << six << "2001:db8::8" << 1 << QByteArray() << Verdict::Accepted;
}

void TestLogListener::judgesSenders()
{
    QFETCH(QStringList, allow);
    QFETCH(QString, address);
    QFETCH(int, port);
    QFETCH(QByteArray, secret);
    QFETCH(SenderPolicy::Verdict, verdict);
    const Result<SenderPolicy> policy = SenderPolicy::fromArguments(allow);
    QVERIFY2(policy, qPrintable(policy.reason()));
    const QByteArray datagram =
        secret.isEmpty() ? plain(kill("A", "B", "awp")) : keyed(secret, kill("A", "B", "awp"));
    QCOMPARE(SenderPolicy::check(policy->find(QHostAddress(address), quint16(port)),
                                 LogPacket::parse(datagram)),
             verdict);
}

bool TestLogListener::startListener(const QStringList &more, const QStringList &environment,
                                    int openFiles)
{
    m_listener = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : environment)
        env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    m_listener->setProcessEnvironment(env);
    m_listener->setProcessChannelMode(QProcess::MergedChannels);
    if (openFiles > 0) {
        m_listener->setChildProcessModifier([openFiles] {
            const rlimit limit {rlim_t(openFiles), rlim_t(openFiles)};
            ::setrlimit(RLIMIT_NOFILE, &limit);
        });
    }
    m_listener->start(TOLVANE_BINARY,
                      QStringList {"--listen", "127.0.0.1:0", "--logs", m_spool, "--db",
                                   m_dir->filePath("live.db")}
                          + more);
    const QRegularExpression listening("UDP port (\\d+)");
    if (!waitUntil([&] { return listening.match(output()).hasMatch(); }, 10000)) {
        qWarning("%s", qPrintable(output()));
        return false;
    }
    m_port = quint16(listening.match(output()).captured(1).toUInt());
    return m_port != 0;
}

int TestLogListener::stopListener()
{
    ::kill(pid_t(m_listener->processId()), SIGTERM);
    if (!m_listener->waitForFinished(60000) || m_listener->exitStatus() != QProcess::NormalExit)
        return -1;
    return m_listener->exitCode();
}

QString TestLogListener::output()
{
    if (m_listener)
        m_output += QString::fromUtf8(m_listener->readAllStandardOutput());
    return m_output;
}

QMap<QString, QStringList> TestLogListener::countedFromFiles(const QList<QByteArray> &logs)
{
    const QString folder = m_dir->filePath("files");
    for (int i = 0; i < logs.size(); ++i) {
        if (!TestFiles::write(folder + QString("/L%1.log").arg(i), logs[i]))
            return {};
    }
    QProcess update;
    update.start(TOLVANE_BINARY,
                 {"--update", "--logs", folder, "--db", m_dir->filePath("files.db")});
    if (!update.waitForFinished(60000) || update.exitCode() != 0)
        return {};
    DataStats store;
    if (!store.open(m_dir->filePath("files.db")))
        return {};
    return table(store);
}

QStringList TestLogListener::spoolFiles() const
{
    return QDir(m_spool).entryList({"L*.log"}, QDir::Files, QDir::Name);
}

void TestLogListener::countsWhatServersSendAsTheirLogs_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestLogListener::countsWhatServersSendAsTheirLogs()
{
    QFETCH(int, signal);
    ScriptedServer plainServer;
    ScriptedServer keyedServer;
    ScriptedServer stranger;
    QVERIFY(plainServer.bind("127.0.0.1"));
    QVERIFY(keyedServer.bind("127.0.0.1"));
    // Another address of the loopback, which no --allow names.
    QVERIFY(stranger.bind("127.0.0.2"));
    // No count before the stop: the spool files can be looked at as the servers left them.
    QVERIFY(startListener({"--allow", QString("127.0.0.1:%1").arg(plainServer.port()), "--allow",
                           QString("127.0.0.1:%1/4242").arg(keyedServer.port()), "--interval",
                           "3600"}));
    plainServer.to = keyedServer.to = stranger.to = m_port;

    // The plain server finishes a log and starts the next; the keyed one is in mid-log. Both
    // name some players alike, as players move between servers.
    const QList<QByteArray> first =
        logLines({kill("Ann", "Bob", "awp"), kill("Ann", "Cy", "ak47"), suicide("Bob"),
                  triggered("Cy", "Planted_The_Bomb"), stamp(3) + "Server say \"no suicide\""});
    const QList<QByteArray> second =
        logLines({kill("Bob", "Ann", "knife"), triggered("Ann", "Defused_The_Bomb")}, false);
    const QList<QByteArray> third =
        logLines({kill("Dee", "Ann", "m4a1"), kill("Dee", "Eve", "m4a1"),
                  triggered("Eve", "Rescued_A_Hostage"), kill("Eve's", "Dee", "deagle")},
                 false);
    QVERIFY(plainServer.sendLines(first));
    QVERIFY(keyedServer.sendLines(third.mid(0, 2), "4242"));
    // Nothing of these may be written, nor counted: they all name the intruder.
    QVERIFY(keyedServer.send(keyed("4243", kill("Intruder", "Ann", "awp"))));
    QVERIFY(keyedServer.send(plain(kill("Intruder", "Bob", "awp"))));
    QVERIFY(stranger.sendLines({kill("Intruder", "Cy", "awp"), kill("Intruder", "Dee", "awp")}));
    QVERIFY(plainServer.send(plain(stamp() + QByteArray(2000, 'x'))));
    QVERIFY(plainServer.send(plain(kill("Intruder", "Ann", "awp")).left(20)));
    QVERIFY(plainServer.send(plain(stamp() + "\"Intruder<1><2><CT>\" killed \"Ann<3><4><T>\""
                                   + QByteArray(1, '\0') + " with \"awp\"")));
    QVERIFY(plainServer.send(header + "TSource Engine Query" + QByteArray(1, '\0')));
    QVERIFY(plainServer.sendLines(second));
    QVERIFY(keyedServer.sendLines(third.mid(2), "4242"));

    const QString plainName = QString("L127.0.0.1_%1_").arg(plainServer.port());
    const QString keyedName = QString("L127.0.0.1_%1_").arg(keyedServer.port());
    QStringList expectedFiles = {plainName + "000001.log", plainName + "000002.log",
                                 keyedName + "000001.log"};
    expectedFiles.sort();
    auto spoolHolds = [&] {
        return spoolFiles() == expectedFiles
            && TestFiles::read(m_spool + '/' + plainName + "000001.log") == joined(first)
            && TestFiles::read(m_spool + '/' + plainName + "000002.log") == joined(second)
            && TestFiles::read(m_spool + '/' + keyedName + "000001.log") == joined(third);
    };
    // Each line on its own, at once, exactly as the server's own log has it.
    QVERIFY2(waitUntil(spoolHolds), qPrintable(spoolFiles().join(", ") + "\n" + output()));

    ::kill(pid_t(m_listener->processId()), signal);
    QVERIFY(m_listener->waitForFinished(60000));
    const QString printed = output();
    QVERIFY2(m_listener->exitStatus() == QProcess::NormalExit && m_listener->exitCode() == 0,
             qPrintable(printed));
    // Closed at the stop, counted by the last count, and so gone.
    QCOMPARE(spoolFiles(), QStringList());
    QVERIFY2(printed.contains("counted: 3 files (3 finished and deleted)"), qPrintable(printed));

    const QString plainLine =
        QString("127.0.0.1:%1: 14 packets, 10 lines (1 skipped by the parser), 0 refused (wrong "
                "secret 0, no secret 0), 4 dropped (oversized 1, truncated 1, binary 1, not a log "
                "packet 1), last packet ")
            .arg(plainServer.port());
    const QString keyedLine = QString("127.0.0.1:%1: 7 packets, 5 lines (0 skipped by the parser), "
                                      "2 refused (wrong secret 1, no secret 1), 0 dropped")
                                  .arg(keyedServer.port());
    QVERIFY2(printed.contains(plainLine), qPrintable(printed));
    QVERIFY2(printed.contains(keyedLine), qPrintable(printed));
    QVERIFY2(printed.contains("refused 127.0.0.2: 2 packets from a sender no --allow names"),
             qPrintable(printed));

    DataStats live;
    QVERIFY(live.open(m_dir->filePath("live.db")));
    const auto got = table(live);
    QVERIFY(!got.contains("Intruder"));
    QCOMPARE(got, countedFromFiles({joined(first), joined(second), joined(third)}));
}

void TestLogListener::closesTheFilesOfSilentServers()
{
    // A listener killed in the middle of a line left this file open.
    const QByteArray leftover = joined(logLines({kill("Old", "Timer", "awp")}, false))
        + kill("Old", "Timer", "awp").left(30);
    QVERIFY(TestFiles::write(m_spool + "/L192.0.2.7_27015_000004.log", leftover));
    // A log of a game server writing into the same folder is none of the listener's business.
    const QByteArray own = joined(logLines({kill("Own", "Log", "awp")}, false));
    QVERIFY(TestFiles::write(m_spool + "/L0805064.log", own));

    ScriptedServer server;
    QVERIFY(server.bind("127.0.0.1"));
    QVERIFY(startListener({"--allow", "127.0.0.1", "--interval", "1"},
                          {"TOLVANE_LISTEN_IDLE_SECONDS=1"}));
    server.to = m_port;
    const QString name = QString("L127.0.0.1_%1_").arg(server.port());

    const QList<QByteArray> before = logLines({kill("Ann", "Bob", "awp")}, false);
    QVERIFY(server.sendLines(before));
    const QString silent = QString("127.0.0.1:%1 has sent nothing for 1 second").arg(server.port());
    // Closed by a line of the listener's own, counted and deleted, without any stop.
    const QStringList ownOnly {"L0805064.log"};
    auto closedAndCounted = [&](int silences) {
        return waitUntil(
            [&] { return output().count(silent) == silences && spoolFiles() == ownOnly; });
    };
    QVERIFY2(closedAndCounted(1), qPrintable(output() + spoolFiles().join(", ")));
    // Named once for as long as it stays silent.
    QTest::qWait(2500);
    QCOMPARE(output().count(silent), 1);

    const QList<QByteArray> after = {kill("Bob", "Ann", "awp"), kill("Bob", "Cy", "awp")};
    QVERIFY(server.sendLines(after));
    // The next file after the one closed; named again once it falls silent again.
    QVERIFY2(waitUntil([&] { return spoolFiles().contains(name + "000002.log"); }, 5000),
             qPrintable(spoolFiles().join(", ")));
    QVERIFY2(closedAndCounted(2), qPrintable(output() + spoolFiles().join(", ")));
    ::kill(pid_t(m_listener->processId()), SIGTERM);
    QVERIFY(m_listener->waitForFinished(60000));
    QVERIFY2(m_listener->exitCode() == 0, qPrintable(output()));
    QCOMPARE(spoolFiles(), ownOnly);
    QCOMPARE(TestFiles::read(m_spool + "/L0805064.log"), own);

    DataStats live;
    QVERIFY(live.open(m_dir->filePath("live.db")));
    QCOMPARE(table(live), countedFromFiles({leftover + '\n', own, joined(before), joined(after)}));
}

void TestLogListener::saysNothingOfIdleIntervals()
{
    ScriptedServer server;
    QVERIFY(server.bind("127.0.0.1"));
    QVERIFY(startListener(
        {"--allow", QString("127.0.0.1:%1/77").arg(server.port()), "--interval", "1"}));
    // The first interval has passed once the listener says that nothing came.
    QVERIFY2(waitUntil([&] { return output().contains("nothing received yet"); }),
             qPrintable(output()));
    QCOMPARE(stopListener(), 0);
    QVERIFY2(!output().contains("counted:"), qPrintable(output()));
}

void TestLogListener::refusesToListenToEveryone_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no --allow") << QStringList {"--listen", "127.0.0.1:0"}
                                << "--allow 127.0.0.1/SECRET";
    QTest::newRow("no --allow, an interval")
        << QStringList {"--listen", "127.0.0.1:0", "--interval", "5"} << "name each game server";
    // As shipped, the service must not run until the operator names the game servers.
    QStringList shipped;
    QFile service(LISTEN_SERVICE);
    QVERIFY(service.open(QIODevice::ReadOnly | QIODevice::Text));
    while (!service.atEnd()) {
        const QString line = QString::fromUtf8(service.readLine()).trimmed();
        if (line.startsWith("ExecStart="))
            shipped = line.mid(int(strlen("ExecStart="))).split(' ', Qt::SkipEmptyParts);
    }
    QVERIFY(shipped.size() > 2 && shipped.takeFirst() == "tolvane");
    // Only the loopback, whatever port the service names.
    const qsizetype listen = shipped.indexOf("--listen");
    QVERIFY(listen >= 0 && listen + 1 < shipped.size());
    shipped[listen + 1] = "127.0.0.1:0";
    QTest::newRow("the shipped service, not filled in")
        << shipped << "systemctl --user edit tolvane-listen.service";
}

void TestLogListener::refusesToListenToEveryone()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QProcess listener;
    listener.setProcessChannelMode(QProcess::MergedChannels);
    listener.start(TOLVANE_BINARY,
                   arguments + QStringList {"--logs", m_spool, "--db", m_dir->filePath("live.db")});
    const bool ended = listener.waitForFinished(10000);
    if (!ended) {
        ::kill(pid_t(listener.processId()), SIGTERM);
        listener.waitForFinished();
    }
    const QString printed = QString::fromUtf8(listener.readAll());
    QVERIFY2(ended, qPrintable(printed));
    QCOMPARE(listener.exitCode(), 2);
    QVERIFY2(printed.contains(message), qPrintable(printed));
    QVERIFY(!QFileInfo::exists(m_spool));
}

void TestLogListener::keepsEveryLineOfManySenders_data()
{
    QTest::addColumn<int>("senders");
    QTest::newRow("a few senders") << 4;
    QTest::newRow("more senders than the process may open files") << 80;
}

void TestLogListener::keepsEveryLineOfManySenders()
{
    QFETCH(int, senders);
    // Few descriptors, so that a few dozen senders would take them all.
    constexpr int openFiles = 64;
    ScriptedServer server;
    QVERIFY(server.bind("127.0.0.1"));
    std::vector<std::unique_ptr<ScriptedServer>> others;
    for (int i = 0; i < senders; ++i) {
        others.push_back(std::make_unique<ScriptedServer>());
        QVERIFY(others.back()->bind("127.0.0.1"));
    }
    // Every port of the address, as when the game server's own port is not known.
    QVERIFY(startListener({"--allow", "127.0.0.1", "--interval", "3600"}, {}, openFiles));
    server.to = m_port;
    for (const auto &other : others)
        other->to = m_port;

    const QList<QByteArray> first =
        logLines({kill("Ann", "Bob", "awp"), kill("Ann", "Cy", "ak47"), suicide("Bob")});
    const QList<QByteArray> second =
        logLines({kill("Bob", "Ann", "m4a1"), triggered("Bob", "Planted_The_Bomb"),
                  kill("Cy", "Bob", "knife")},
                 false);
    QList<QList<QByteArray>> theirs;
    for (int i = 0; i < senders; ++i) {
        const QByteArray n = QByteArray::number(i);
        theirs << logLines({kill("P" + n, "Q" + n, "awp"), kill("Q" + n, "P" + n, "deagle")},
                           false);
    }
    // Each sender opens its file; the server then starts its next log, and every sender goes
    // on with the log it began.
    QVERIFY(server.sendLines(first));
    for (int i = 0; i < senders; ++i)
        QVERIFY(others[i]->sendLines(theirs[i].mid(0, 2)));
    QVERIFY(server.sendLines(second.mid(0, 2)));
    for (int i = 0; i < senders; ++i)
        QVERIFY(others[i]->sendLines(theirs[i].mid(2)));
    QVERIFY(server.sendLines(second.mid(2)));

    const QString name = QString("%1/L127.0.0.1_%2_").arg(m_spool);
    auto spoolHolds = [&] {
        if (spoolFiles().size() != senders + 2
            || TestFiles::read(name.arg(server.port()) + "000001.log") != joined(first)
            || TestFiles::read(name.arg(server.port()) + "000002.log") != joined(second))
            return false;
        // One file each, its log going on without a closing line of the listener's own.
        for (int i = 0; i < senders; ++i) {
            if (TestFiles::read(name.arg(others[i]->port()) + "000001.log") != joined(theirs[i]))
                return false;
        }
        return true;
    };
    QVERIFY2(waitUntil(spoolHolds), qPrintable(spoolFiles().join(", ") + "\n" + output()));
    QCOMPARE(stopListener(), 0);
    const QString printed = output();
    QVERIFY2(!printed.contains("lost") && !printed.contains("Too many open files"),
             qPrintable(printed));
    QCOMPARE(spoolFiles(), QStringList());

    QList<QByteArray> logs {joined(first), joined(second)};
    for (const QList<QByteArray> &lines : std::as_const(theirs))
        logs << joined(lines);
    DataStats live;
    QVERIFY(live.open(m_dir->filePath("live.db")));
    const auto got = table(live);
    QCOMPARE(got.size(), 3 + 2 * senders);
    QCOMPARE(got, countedFromFiles(logs));
}

void TestLogListener::makesADeletedSpoolFolderAgain_data()
{
    QTest::addColumn<bool>("wholeFolder"); // else the open spool file alone
    QTest::addColumn<bool>("blocked");
    QTest::newRow("folder deleted") << true << false;
    QTest::newRow("folder deleted, a file in its place for a while") << true << true;
    QTest::newRow("open file deleted") << false << false;
}

void TestLogListener::makesADeletedSpoolFolderAgain()
{
    QFETCH(bool, wholeFolder);
    QFETCH(bool, blocked);
    ScriptedServer server;
    QVERIFY(server.bind("127.0.0.1"));
    QVERIFY(
        startListener({"--allow", QString("127.0.0.1:%1").arg(server.port()), "--interval", "1"}));
    server.to = m_port;
    const QString name = QString("%1/L127.0.0.1_%2_").arg(m_spool).arg(server.port());

    // Counted once, then the folder goes with its file still open.
    const QList<QByteArray> before = logLines({kill("Ann", "Bob", "awp")}, false);
    QVERIFY(server.sendLines(before));
    auto counted = [&](const QString &player) {
        DataStats live;
        return QFileInfo::exists(m_dir->filePath("live.db"))
            && live.open(m_dir->filePath("live.db"), DataStats::Access::ReadOnly)
            && !row(live, player).isEmpty();
    };
    QVERIFY2(waitUntil([&] { return counted("Bob"); }), qPrintable(output()));
    const QString deleted = wholeFolder ? m_spool : name + "000001.log";
    QCOMPARE(QProcess::execute("rm", {"-rf", deleted}), 0);
    QVERIFY(!QFileInfo::exists(deleted));

    QList<QByteArray> kept;
    if (blocked) {
        // Nowhere to write: these are lost, and said to be, to the line.
        QVERIFY(TestFiles::write(m_spool, "in the way\n"));
        QVERIFY(server.sendLines({kill("Cy", "Dee", "awp"), kill("Cy", "Eve", "awp")}));
        const QString lost =
            QString("127.0.0.1:%1: 4 packets, 2 lines").arg(server.port()) + ".*, 2 lines lost";
        QVERIFY2(waitUntil([&] { return output().contains(QRegularExpression(lost)); }),
                 qPrintable(output()));
        QVERIFY(QFile::remove(m_spool));
    } else {
        kept = {kill("Cy", "Dee", "awp"), kill("Cy", "Eve", "awp")};
        QVERIFY(server.sendLines(kept));
    }
    const QList<QByteArray> after = {kill("Dee", "Ann", "m4a1")};
    QVERIFY(server.sendLines(after));
    kept += after;
    // The next file of that server, in the folder made again, held by the listener again.
    QVERIFY2(waitUntil([&] { return TestFiles::read(name + "000002.log") == joined(kept); }),
             qPrintable(spoolFiles().join(", ") + "\n" + output()));
    QVERIFY(QFileInfo::exists(m_spool + "/tolvane-listen.lock"));
    QVERIFY2(waitUntil([&] { return counted("Dee"); }), qPrintable(output()));

    QCOMPARE(stopListener(), blocked ? 4 : 0);
    const QString printed = output();
    QCOMPARE(printed.contains("made it again"), wholeFolder);
    const QString lines = QString("127.0.0.1:%1: %2 packets, %3 lines")
                              .arg(server.port())
                              .arg(before.size() + 2 + after.size())
                              .arg(before.size() + kept.size());
    QVERIFY2(printed.contains(lines), qPrintable(printed));
    QCOMPARE(printed.contains("lines lost"), blocked);
    if (blocked)
        QVERIFY2(printed.contains(QString("exit status 4")), qPrintable(printed));
    DataStats live;
    QVERIFY(live.open(m_dir->filePath("live.db")));
    QCOMPARE(table(live), countedFromFiles({joined(before), joined(kept)}));
}

void TestLogListener::dropsLinesWhenTheDiskRunsShort_data()
{
    QTest::addColumn<int>("diskKiB");
    QTest::addColumn<QString>("keepFree"); // MiB
    QTest::addColumn<int>("ballastKiB"); // 0: every free byte
    QTest::addColumn<QString>("reason");
    // The open file's last block takes lines until it is full; the line that does not fit is
    // cut short by the system.
    QTest::newRow("full disk, no floor") << 256 << "0" << 0 << "No space left on device";
    QTest::newRow("below the free-space floor") << 4096 << "2" << 3072 << "less than 2 MiB free";
}

void TestLogListener::dropsLinesWhenTheDiskRunsShort()
{
    QFETCH(int, diskKiB);
    QFETCH(QString, keepFree);
    QFETCH(int, ballastKiB);
    QFETCH(QString, reason);
    FullDisk disk(m_spool, diskKiB);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.whyNot()));
    ScriptedServer server;
    QVERIFY(server.bind("127.0.0.1"));
    QVERIFY(startListener({"--allow", QString("127.0.0.1:%1").arg(server.port()), "--interval", "1",
                           "--keep-free", keepFree}));
    server.to = m_port;
    const QString file = QString("%1/L127.0.0.1_%2_000001.log").arg(m_spool).arg(server.port());

    const QList<QByteArray> before = logLines({kill("Ann", "Bob", "awp")}, false);
    QVERIFY(server.sendLines(before));
    QVERIFY2(waitUntil([&] { return TestFiles::read(file) == joined(before); }),
             qPrintable(output()));
    const QString ballast = m_spool + "/.ballast";
    if (ballastKiB == 0)
        QVERIFY(disk.fill());
    else
        QVERIFY(TestFiles::write(ballast, QByteArray(ballastKiB * 1024, 'x')));

    // More than the rest of a block.
    QList<QByteArray> during;
    for (int i = 0; i < 60; ++i)
        during << kill("C" + QByteArray::number(i), "D" + QByteArray::number(i), "awp");
    QVERIFY(server.sendLines(during));
    const QString server60 =
        QString("127.0.0.1:%1: %2 packets, ").arg(server.port()).arg(before.size() + during.size());
    QVERIFY2(waitUntil([&] { return output().contains(server60) && output().contains(reason); }),
             qPrintable(output()));
    // Whole lines, or not a byte of them, and, above the floor, never the last free byte.
    const QByteArray kept = TestFiles::read(file);
    const qsizetype written = kept.count('\n') - before.size();
    QVERIFY2(written >= 0 && written < during.size(), kept.constData());
    if (ballastKiB > 0) {
        QCOMPARE(written, 0);
        struct statvfs room;
        QVERIFY(::statvfs(QFile::encodeName(m_spool).constData(), &room) == 0);
        QVERIFY(room.f_bavail > 0);
    }
    QCOMPARE(kept, joined(before) + joined(during.mid(0, written)));
    QVERIFY2(output().contains(QString("%1%2 lines").arg(server60).arg(before.size() + written)
                               + QString(" (0 skipped by the parser), 0 refused (wrong secret 0, "
                                         "no secret 0), 0 dropped (oversized 0, truncated 0, "
                                         "binary 0, not a log packet 0), %1 lines lost")
                                     .arg(during.size() - written)),
             qPrintable(output()));

    QVERIFY(QFile::remove(ballast));
    const QList<QByteArray> after = {kill("Dee", "Ann", "m4a1")};
    QVERIFY(server.sendLines(after));
    QVERIFY2(waitUntil([&] { return TestFiles::read(file) == kept + joined(after); }),
             qPrintable(output()));

    QCOMPARE(stopListener(), 4);
    const QString printed = output();
    QVERIFY2(!printed.contains("Unknown error"), qPrintable(printed));
    QVERIFY2(printed.contains(QString("lines were lost during this run: %1 not written")
                                  .arg(during.size() - written)),
             qPrintable(printed));
    QVERIFY2(printed.contains("exit status 4"), qPrintable(printed));
    DataStats live;
    QVERIFY(live.open(m_dir->filePath("live.db")));
    QCOMPARE(table(live), countedFromFiles({kept + joined(after)}));
}

QTEST_GUILESS_MAIN(TestLogListener)
#include "test_loglistener.moc"
