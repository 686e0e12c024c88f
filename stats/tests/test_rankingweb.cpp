// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/testsupport/fulldisk.h"
#include "stats/analysis/rankplayers.h"
#include "stats/store/datastats.h"
#include "stats/store/playernames.h"
#include "stats/tests/statstestsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

namespace {

/** One answer of the server, as read off the socket. */
struct Reply
{
    int status = 0;
    QMap<QByteArray, QByteArray> headers; ///< names in lower case
    QByteArray body;
    QString error;

    QString text() const { return QString::fromUtf8(body); }
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
};

/// Sends one request over a fresh connection and reads the whole answer.
Reply request(quint16 port, const QByteArray &target, const QByteArray &method = "GET",
              const QByteArray &moreHeaders = {})
{
    Reply reply;
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(10000)) {
        reply.error = socket.errorString();
        return reply;
    }
    socket.write(method + ' ' + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + moreHeaders + "\r\n");
    QByteArray received;
    qsizetype headEnd = -1;
    qint64 length = -1;
    while (headEnd < 0 || received.size() < headEnd + 4 + length) {
        if (!socket.waitForReadyRead(60000)) {
            reply.error = QStringLiteral("no complete answer: ") + socket.errorString();
            return reply;
        }
        received += socket.readAll();
        if (headEnd < 0 && (headEnd = received.indexOf("\r\n\r\n")) >= 0) {
            const QList<QByteArray> lines = received.left(headEnd).split('\n');
            reply.status = lines.value(0).split(' ').value(1).toInt();
            for (const QByteArray &line : lines.mid(1)) {
                const qsizetype colon = line.indexOf(':');
                reply.headers.insert(line.left(colon).trimmed().toLower(),
                                     line.mid(colon + 1).trimmed());
            }
            length = method == "HEAD" ? 0 : reply.headers.value("content-length").toLongLong();
        }
    }
    reply.body = received.mid(headEnd + 4, length);
    return reply;
}

/// \a gzipped inflated, as a browser reads a body sent with "Content-Encoding: gzip"; empty if
/// it is no whole gzip member.
QByteArray inflated(const QByteArray &gzipped)
{
    z_stream stream {};
    if (inflateInit2(&stream, 15 + 16) != Z_OK)
        return {};
    QByteArray out;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(gzipped.constData()));
    stream.avail_in = uInt(gzipped.size());
    int status = Z_OK;
    while (status == Z_OK) {
        char buffer[65536];
        stream.next_out = reinterpret_cast<Bytef *>(buffer);
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
    }
    inflateEnd(&stream);
    return status == Z_STREAM_END && stream.avail_in == 0 ? out : QByteArray();
}

/// The names a Vary header lists.
QList<QByteArray> varied(const Reply &reply)
{
    QList<QByteArray> names;
    for (const QByteArray &name : reply.headers.value("vary").split(','))
        names << name.trimmed();
    return names;
}

/// The keys of the JSON, each with the column of table Stats it gives: what tools outside rely
/// on, which no change of the database's own names may change.
const QList<QPair<QString, QString>> &jsonKeys()
{
    static const QList<QPair<QString, QString>> keys {
        {"place", "Place"},
        {"name", "Nom"},
        {"kills", "Kills"},
        {"deaths", "Deaths"},
        {"score", "TotalClass"},
        {"usp", "s1_1_usp"},
        {"glock18", "s1_2_glock18"},
        {"deagle", "s1_3_deagle"},
        {"p228", "s1_4_p228"},
        {"elite", "s1_5_elite"},
        {"fiveseven", "s1_6_fiveseven"},
        {"m3", "p2_1_m3"},
        {"xm1014", "p2_2_xm1014"},
        {"mp5navy", "p3_1_mp5navy"},
        {"tmp", "p3_2_tmp"},
        {"p90", "p3_3_p90"},
        {"mac10", "p3_4_mac10"},
        {"ump45", "p3_5_ump45"},
        {"ak47", "p4_1_ak47"},
        {"sg552", "p4_2_sg552"},
        {"m4a1", "p4_3_m4a1"},
        {"aug", "p4_4_aug"},
        {"scout", "p4_5_scout"},
        {"awp", "p4_6_awp"},
        {"g3sg1", "p4_7_g3sg1"},
        {"sg550", "p4_8_sg550"},
        {"m249", "p5_1_m249"},
        {"knife", "Couteau"},
        {"grenade", "grenade"},
        {"suicides", "suicide"},
        {"hostages_rescued", "Hostage"},
        {"bombs_planted", "BombePosée"},
        {"bombs_defused", "BombeDesamocée"},
    };
    return keys;
}

/// Kills per death as the pages give it: kills alone without deaths, two decimals.
double killsPerDeath(qint64 kills, qint64 deaths)
{
    return deaths <= 0 ? double(kills) : std::round(double(kills) * 100.0 / double(deaths)) / 100.0;
}

/** "tolvane --serve" on a free loopback port, ended with the test. */
class Server
{
public:
    /// Starts it with the variables \a environment added to its own, and at most \a openFiles
    /// open files when that is not 0.
    bool start(const QString &database, const QMap<QString, QString> &environment = {},
               rlim_t openFiles = 0)
    {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (auto it = environment.begin(); it != environment.end(); ++it)
            variables.insert(it.key(), it.value());
        m_process.setProcessEnvironment(variables);
        if (openFiles > 0)
            m_process.setChildProcessModifier([openFiles] {
                const rlimit files {openFiles, openFiles};
                ::setrlimit(RLIMIT_NOFILE, &files);
            });
        m_process.start(TOLVANE_BINARY, {"--serve", "127.0.0.1:0", "--db", database});
        if (!m_process.waitForStarted())
            return false;
        QByteArray out;
        static const QRegularExpression address("http://127\\.0\\.0\\.1:([0-9]+)/");
        while (!address.match(QString::fromUtf8(out)).hasMatch()) {
            if (!m_process.waitForReadyRead(20000))
                return false;
            out += m_process.readAllStandardOutput();
        }
        port = quint16(address.match(QString::fromUtf8(out)).captured(1).toUInt());
        return true;
    }
    bool running() const { return m_process.state() == QProcess::Running; }
    /// A line of its /proc status, in KiB: "VmRSS" what it holds now, "VmHWM" the most it held.
    qint64 memory(const QByteArray &field) const
    {
        QFile status(QString("/proc/%1/status").arg(m_process.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith(field + ':'))
                return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong();
        return -1;
    }
    /// The processor time it has used, in milliseconds.
    qint64 processorTime() const
    {
        QFile stat(QString("/proc/%1/stat").arg(m_process.processId()));
        if (!stat.open(QIODevice::ReadOnly))
            return -1;
        // The fields after the command's name, which ends with the last ")".
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        return (fields.value(11).toLongLong() + fields.value(12).toLongLong()) * 1000
            / ::sysconf(_SC_CLK_TCK);
    }
    ~Server()
    {
        m_process.terminate();
        m_process.waitForFinished(10000);
    }

    quint16 port = 0;

private:
    QProcess m_process;
};

/**
 * A connection of the test's own from a chosen loopback address, that never blocks: what a
 * slow, greedy or idle client does with its socket, a step at a time.
 */
class Client
{
public:
    Client(const QByteArray &from, quint16 port)
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in local {};
        local.sin_family = AF_INET;
        ::inet_pton(AF_INET, from.constData(), &local.sin_addr);
        sockaddr_in server {};
        server.sin_family = AF_INET;
        server.sin_port = htons(port);
        server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (m_socket < 0
            || ::bind(m_socket, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0
            || ::connect(m_socket, reinterpret_cast<sockaddr *>(&server), sizeof server) != 0) {
            m_closed = true;
            return;
        }
        ::fcntl(m_socket, F_SETFL, ::fcntl(m_socket, F_GETFL) | O_NONBLOCK);
    }
    ~Client()
    {
        if (m_socket >= 0)
            ::close(m_socket);
    }
    Client(const Client &) = delete;
    Client &operator=(const Client &) = delete;

    /// Sends what the server takes now of what is left to send.
    void push()
    {
        while (!m_sendingDone && !m_toSend.isEmpty()) {
            const ssize_t sent =
                ::send(m_socket, m_toSend.constData(),
                       std::size_t(std::min<qsizetype>(m_toSend.size(), 1 << 20)), MSG_NOSIGNAL);
            if (sent < 0) {
                if (errno != EAGAIN && errno != EWOULDBLOCK)
                    m_sendingDone = true;
                return;
            }
            m_toSend.remove(0, sent);
        }
    }
    void send(const QByteArray &bytes)
    {
        m_toSend += bytes;
        push();
    }
    /// Reads what has arrived, and whether the server has closed the connection.
    void read()
    {
        char buffer[65536];
        while (!m_closed) {
            const ssize_t got = ::recv(m_socket, buffer, sizeof buffer, 0);
            if (got > 0)
                received.append(buffer, got);
            else if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                m_closed = true;
            else
                return;
        }
    }
    /// Sends and reads until the server closes the connection, at most \a bound long.
    bool waitClosed(std::chrono::milliseconds bound)
    {
        QElapsedTimer clock;
        clock.start();
        while (!m_closed && std::chrono::milliseconds(clock.elapsed()) < bound) {
            push();
            read();
            pollfd events {m_socket, short(POLLIN | (m_toSend.isEmpty() ? 0 : POLLOUT)), 0};
            ::poll(&events, 1, 50);
        }
        return m_closed;
    }
    /// Waits, at most \a bound long, for \a count whole answers (or the end of the connection).
    void waitAnswers(int count, std::chrono::milliseconds bound)
    {
        QElapsedTimer clock;
        clock.start();
        while (!m_closed && answers().size() < count
               && std::chrono::milliseconds(clock.elapsed()) < bound) {
            push();
            read();
            pollfd events {m_socket, POLLIN, 0};
            ::poll(&events, 1, 50);
        }
    }
    bool closed() const { return m_closed; }
    /// The status of each whole answer received.
    QList<int> answers() const
    {
        QList<int> statuses;
        qsizetype at = 0;
        static const QRegularExpression length("\r\ncontent-length: *([0-9]+)\r\n",
                                               QRegularExpression::CaseInsensitiveOption);
        while (at < received.size()) {
            const qsizetype headEnd = received.indexOf("\r\n\r\n", at);
            if (headEnd < 0)
                break;
            const QString head = QString::fromLatin1(received.mid(at, headEnd + 2 - at));
            const qsizetype size = length.match(head).captured(1).toLongLong();
            if (received.size() < headEnd + 4 + size)
                break;
            statuses << head.section(' ', 1, 1).toInt();
            at = headEnd + 4 + size;
        }
        return statuses;
    }

    QByteArray received;

private:
    int m_socket = -1;
    QByteArray m_toSend;
    bool m_sendingDone = false;
    bool m_closed = false;
};

DataStats::Counters counters(int kills, int totalClass, int awp = 0, int deaths = 0)
{
    DataStats::Counters c {};
    c[StatsColumns::Deaths - StatsColumns::FirstCounter] = deaths;
    c[StatsColumns::Kills - StatsColumns::FirstCounter] = kills;
    c[StatsColumns::TotalClass - StatsColumns::FirstCounter] = totalClass;
    c[StatsColumns::indexOf("p4_6_awp") - StatsColumns::FirstCounter] = awp;
    return c;
}

const QString millionSigns = QString("<&\"'").repeated(1 << 18);

/// Names that try to break out of every place a name appears in, each with a label.
QList<QPair<QString, QString>> hostileNames()
{
    return {{"script element", "<script>document.title='pwned'</script>"},
            {"attribute break-out", "\"><img src=x onerror=\"document.title='pwned'\">"},
            {"quotes of every kind", "'single' \"double\" `back` & &amp;"},
            {"right-to-left override", QString("\u202Eevil\u202C right to left")},
            {"control characters", QString("ctl\x01\x1b[2J\x7f\u0085\r\nnext line")},
            {"placeholders", "%1 %2 %3 {{place}}"},
            {"backslashes", "back\\slash \\x1b"},
            {"script address", "javascript:alert(1)"},
            {"a mebibyte of markup", millionSigns}};
}

/// The text of the elements and attribute values of a page, their references resolved.
QString decoded(QString text)
{
    static const QRegularExpression reference("&(#x[0-9a-fA-F]+|#[0-9]+|amp|lt|gt|quot);");
    QString out;
    qsizetype at = 0;
    for (auto it = reference.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += text.mid(at, m.capturedStart() - at);
        const QString name = m.captured(1);
        if (name.startsWith("#x"))
            out += QChar(name.mid(2).toUInt(nullptr, 16));
        else if (name.startsWith('#'))
            out += QChar(name.mid(1).toUInt());
        else
            out += QHash<QString, QString> {{"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}}
                       .value(name);
        at = m.capturedEnd();
    }
    return out + text.mid(at);
}

/**
 * Checks a page the way a browser would read it: every "<" opens one of the tags the pages
 * use, no attribute is an event handler or a style, every attribute value is quoted, and no
 * character that acts rather than shows is left raw. Returns what is wrong, or nothing.
 */
QString wrongMarkup(const QString &page)
{
    static const QStringList tags = {
        "!DOCTYPE", "html",   "head",  "meta",   "title", "link",   "body",    "header",
        "h1",       "h2",     "p",     "time",   "main",  "nav",    "a",       "span",
        "form",     "input",  "label", "button", "div",   "table",  "caption", "thead",
        "tbody",    "tr",     "th",    "td",     "bdi",   "footer", "dl",      "dt",
        "dd",       "figure", "svg",   "text",   "rect"};
    static const QRegularExpression tag("<(/?)([!A-Za-z0-9]+)([^<>]*)>");
    static const QRegularExpression attribute(R"re(\s([^\s=/]+)(="([^"]*)")?)re");
    qsizetype at = 0;
    for (auto it = tag.globalMatch(page); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (page.mid(at, m.capturedStart() - at).contains(QRegularExpression("[<>]")))
            return "a raw < or > in the text before " + m.captured(0).left(80);
        at = m.capturedEnd();
        if (!tags.contains(m.captured(2)))
            return "an unknown tag " + m.captured(0).left(80);
        if (m.captured(2) == "!DOCTYPE")
            continue;
        const QString inside = m.captured(3);
        QString rest = inside;
        for (auto a = attribute.globalMatch(inside); a.hasNext();) {
            const QRegularExpressionMatch attr = a.next();
            rest.replace(attr.captured(0), QString());
            const QString name = attr.captured(1).toLower();
            if (name.startsWith("on") || name == "style")
                return "an attribute " + name + " in " + m.captured(0).left(80);
        }
        if (!rest.trimmed().isEmpty() && rest.trimmed() != "/")
            return "an unquoted or broken attribute in " + m.captured(0).left(80);
    }
    if (page.mid(at).contains(QRegularExpression("[<>]")))
        return "a raw < or > after the last tag";
    for (const QChar c : page) {
        const bool acts = c.category() == QChar::Other_Control
            || c.category() == QChar::Other_Format || c.category() == QChar::Separator_Line
            || c.category() == QChar::Separator_Paragraph;
        if (acts && c != '\n')
            return QString("a raw character U+%1").arg(c.unicode(), 4, 16, QChar('0'));
    }
    return {};
}

/// The value of the parameter q in a link, decoded as a form sends it.
QString parameterQ(const QString &href)
{
    const QRegularExpressionMatch m = QRegularExpression("[?&]q=([^&]*)").match(href);
    QByteArray value = m.captured(1).toLatin1();
    value.replace('+', ' ');
    return QString::fromUtf8(QByteArray::fromPercentEncoding(value));
}

/// The names of a page of the ranking, in its order.
QStringList pageNames(const QString &page)
{
    QStringList names;
    static const QRegularExpression name(
        "<th scope=\"row\" class=\"nom\">(?:<a [^>]*>)?<bdi>(.*?)</bdi>");
    for (auto it = name.globalMatch(page); it.hasNext();)
        names << decoded(it.next().captured(1));
    return names;
}

} // namespace

class TestRankingWeb : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void answersEveryAddress_data();
    void answersEveryAddress();
    void speaksTheBrowsersLanguage_data();
    void speaksTheBrowsersLanguage();
    void pagesFollowTheirKeys_data();
    void pagesFollowTheirKeys();
    void playerPagesShowBothPlaces_data();
    void playerPagesShowBothPlaces();
    void hostileNamesStayInTheirPlace_data();
    void hostileNamesStayInTheirPlace();
    void answersWhileAnUpdateWrites();
    void answersWhatTheClientHolds_data();
    void answersWhatTheClientHolds();
    void compressesForWhoAcceptsIt_data();
    void compressesForWhoAcceptsIt();
    void noPageOutlivesAnUpdate_data();
    void noPageOutlivesAnUpdate();
    void servesManyClientsAtOnce_data();
    void servesManyClientsAtOnce();
    void unreadableDatabaseAnswers503();
    void rendersInARealBrowser();
    void closesWhereHttpSaysSo_data();
    void closesWhereHttpSaysSo();
    void servesWhileHundredsHoldOn();
    void capsConnections();
    void refusesWrongLimits_data();
    void refusesWrongLimits();
    void htmlLeavesOthersFilesAlone_data();
    void htmlLeavesOthersFilesAlone();
    void htmlSaysWhyItCannotWrite_data();
    void htmlSaysWhyItCannotWrite();

private:
    /// The players every engine's database holds, ranked; the time of its last update.
    static void fill(DataStats &store);
    /// Picks the store and the server of \a engine; false when there is none.
    bool pick(const QString &engine);
    /// The names of the ranked players in \a order whose names start with \a start.
    QStringList expected(DataStats::Ranking order, const QString &start = {});
    /// The ranked players by \a column of table Stats ("kpd": kills per death) highest first,
    /// ties by place, whose names start with \a start and who have at least \a least kills.
    QStringList expectedBy(const QString &column, const QString &start, int least);
    /// The stable id of the player called \a nom.
    qint64 idOf(const QString &nom);
    /// A database of forty ranked players, whose pages are quick to write; empty on failure.
    QString fewPlayers();

    QTemporaryDir m_dir;
    QString m_database;
    QString m_fewPlayers;
    qint64 m_fewFirst = 0; ///< the id of its first player
    int m_changing = 0; ///< databases made to be changed under a server
    std::unique_ptr<DataStats> m_store;
    std::unique_ptr<Server> m_server;
    // The same database served with limits short enough for a test.
    std::unique_ptr<Server> m_strict;
    // The same on a PostgreSQL server, when one is given.
    std::unique_ptr<StatsTest::TestDatabases> m_serverDatabases;
    std::unique_ptr<DataStats> m_serverStore;
    std::unique_ptr<Server> m_serverServer;
    // What the tests of a given engine read: the SQLite ones but for the picked engine.
    DataStats *m_read = nullptr;
    Server *m_serving = nullptr;
};

void TestRankingWeb::fill(DataStats &store)
{
    // 250 players over three pages, whose kills tie in groups that cross the pages' ends.
    for (int i = 1; i <= 250; ++i)
        QVERIFY(StatsTest::addToPlayer(store, QString("Player%1").arg(i, 3, 10, QChar('0')),
                                       counters(i * 7 % 13, i * 31 % 97 - 20, i % 5, i * 3 % 7)));
    for (const char *nom : {"Zoé", "zorro", "ZORG", "Дмитрий", "Mr Bean", "Mr+Bean"})
        QVERIFY(StatsTest::addToPlayer(store, nom, counters(3, 5)));
    // The hostile ones rank first, where every page shows them.
    for (const auto &[label, nom] : hostileNames()) {
        const Result<QString> added = StatsTest::addToPlayer(store, nom, counters(20, 500, 7));
        QVERIFY2(added, qPrintable(label + ": " + added.reason().left(300)));
    }
    QVERIFY(StatsTest::addToPlayer(store, "Unranked", counters(99, 99)));
    QVERIFY(store.beginTransaction());
    QVERIFY(RankPlayers(store));
    QVERIFY(store.setLastUpdate(QDateTime(QDate(2024, 5, 1), QTime(12, 3, 4), Qt::UTC)));
    QVERIFY(store.commit());
    // A player counted by an update still at work has no place yet.
    QVERIFY(QSqlQuery(store.database())
                .exec(R"(UPDATE "Stats" SET "Place" = 0 WHERE "Nom" = 'Unranked')"));
}

void TestRankingWeb::initTestCase()
{
    m_database = m_dir.filePath("Stats.db");
    m_store = std::make_unique<DataStats>();
    QVERIFY(m_store->open(m_database));
    fill(*m_store);
    if (QTest::currentTestFailed())
        return;
    m_server = std::make_unique<Server>();
    QVERIFY(m_server->start(m_database));

    if (!StatsTest::TestDatabases::serverGiven())
        return;
    m_serverDatabases =
        std::make_unique<StatsTest::TestDatabases>("PostgreSQL", m_dir.filePath("server"));
    const QString address = m_serverDatabases->create("web");
    QVERIFY2(!address.isEmpty(), qPrintable(m_serverDatabases->errorString()));
    m_serverStore = std::make_unique<DataStats>();
    QVERIFY(m_serverStore->open(address));
    fill(*m_serverStore);
    if (QTest::currentTestFailed())
        return;
    m_serverServer = std::make_unique<Server>();
    QVERIFY(m_serverServer->start(address));
}

void TestRankingWeb::init()
{
    m_read = nullptr;
    m_serving = nullptr;
}

bool TestRankingWeb::pick(const QString &engine)
{
    const bool onServer = engine == QLatin1String("PostgreSQL");
    m_read = onServer ? m_serverStore.get() : m_store.get();
    m_serving = onServer ? m_serverServer.get() : m_server.get();
    return m_read && m_serving;
}

QStringList TestRankingWeb::expected(DataStats::Ranking order, const QString &start)
{
    QSqlQuery query((m_read ? m_read : m_store.get())->database());
    query.exec(order == DataStats::Ranking::Kills
                   ? R"(SELECT "Nom" FROM "Stats" WHERE "Place" > 0 ORDER BY "Kills" DESC, "Place")"
                   : R"(SELECT "Nom" FROM "Stats" WHERE "Place" > 0 ORDER BY "Place")");
    QStringList names;
    while (query.next()) {
        const QString nom = query.value(0).toString();
        if (nom.toCaseFolded().startsWith(start.toCaseFolded()))
            names << nom;
    }
    return names;
}

QStringList TestRankingWeb::expectedBy(const QString &column, const QString &start, int least)
{
    QSqlQuery query((m_read ? m_read : m_store.get())->database());
    query.exec(QString(R"(SELECT "Nom", "Place", "Kills", "Deaths", %1 FROM "Stats")"
                       R"( WHERE "Place" > 0 ORDER BY "Place")")
                   .arg(column.isEmpty() || column == "kpd" ? QString("0") : '"' + column + '"'));
    struct Row
    {
        QString nom;
        double value;
        qint64 place;
    };
    std::vector<Row> rows;
    while (query.next()) {
        const QString nom = query.value(0).toString();
        const qint64 kills = query.value(2).toLongLong();
        if (kills < least || !nom.toCaseFolded().startsWith(start.toCaseFolded()))
            continue;
        const double value = column.isEmpty() ? 0
            : column == "kpd"                 ? killsPerDeath(kills, query.value(3).toLongLong())
                                              : query.value(4).toDouble();
        rows.push_back({nom, value, query.value(1).toLongLong()});
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const Row &a, const Row &b) { return a.value > b.value; });
    QStringList names;
    for (const Row &row : rows)
        names << row.nom;
    return names;
}

qint64 TestRankingWeb::idOf(const QString &nom)
{
    QSqlQuery query((m_read ? m_read : m_store.get())->database());
    query.prepare(R"(SELECT "Id" FROM "Players" WHERE "Nom" = ?)");
    query.addBindValue(nom);
    return query.exec() && query.next() ? query.value(0).toLongLong() : 0;
}

QString TestRankingWeb::fewPlayers()
{
    if (!m_fewPlayers.isEmpty())
        return m_fewPlayers;
    const QString path = m_dir.filePath("few.db");
    DataStats store;
    if (!store.open(path))
        return {};
    for (int n = 1; n <= 40; ++n)
        if (!StatsTest::addToPlayer(store, QString("Player%1").arg(n), counters(n % 7, n % 11)))
            return {};
    if (!store.beginTransaction() || !RankPlayers(store) || !store.commit())
        return {};
    QSqlQuery first(store.database());
    if (!first.exec(R"(SELECT p."Id" FROM "Players" p JOIN "Stats" s ON s."Nom" = p."Nom")"
                    R"( WHERE s."Place" = 1)")
        || !first.next())
        return {};
    m_fewFirst = first.value(0).toLongLong();
    m_fewPlayers = path;
    return path;
}

void TestRankingWeb::answersEveryAddress_data()
{
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("hidden");

    const QByteArray html = "text/html; charset=utf-8";
    const QByteArray json = "application/json";
    // Players' names for the columns, in French by default; never the database's own.
    QTest::newRow("the ranking") << QByteArray("GET") << QByteArray("/") << 200 << html
                                 << QStringList {"Player",     "<html lang=\"fr\">",
                                                 ">Score</a>", ">Desert Eagle</a>",
                                                 ">AWP</a>",   ">K/D</a>",
                                                 ">Morts</a>", ">Bombes désamorcées</a>"}
                                 << QStringList {"Unranked", "TotalClass", "s1_3_deagle",
                                                 "p4_6_awp", "BombeDesamocée"};
    QTest::newRow("sorted by a weapon")
        << QByteArray("GET") << QByteArray("/?by=deagle") << 200 << html
        << QStringList {"aria-sort=\"descending\">Desert Eagle</th>", "Classement par Desert Eagle",
                        "<input type=\"hidden\" name=\"by\" value=\"deagle\">"}
        << QStringList {"Unranked"};
    QTest::newRow("at least some kills")
        << QByteArray("GET") << QByteArray("/?min=20") << 200 << html
        << QStringList {"avec au moins 20 kills", "value=\"20\""} << QStringList {"Unranked"};
    QTest::newRow("an empty least number is none")
        << QByteArray("GET") << QByteArray("/?q=&min=") << 200 << html << QStringList {"Player"}
        << QStringList {"avec au moins"};
    QTest::newRow("its headers alone") << QByteArray("HEAD") << QByteArray("/") << 200 << html
                                       << QStringList {} << QStringList {"Player"};
    QTest::newRow("by kills") << QByteArray("GET") << QByteArray("/?by=kills") << 200 << html
                              << QStringList {"aria-current=\"page\">Kills"} << QStringList {};
    // The absolute form a proxy sends: the host ends at the path or, without one, at the query.
    QTest::newRow("by kills through a proxy, without a path")
        << QByteArray("GET") << QByteArray("http://127.0.0.1?by=kills") << 200 << html
        << QStringList {"aria-current=\"page\">Kills"} << QStringList {};
    QTest::newRow("a search with a slash through a proxy, without a path")
        << QByteArray("GET") << QByteArray("http://127.0.0.1?q=a/b") << 200 << html
        << QStringList {"a/b"} << QStringList {};
    QTest::newRow("by kills through a proxy, the scheme in capitals")
        << QByteArray("GET") << QByteArray("HTTP://127.0.0.1/?by=kills") << 200 << html
        << QStringList {"aria-current=\"page\">Kills"} << QStringList {};
    QTest::newRow("style sheet") << QByteArray("GET") << QByteArray("/style.css") << 200
                                 << QByteArray("text/css; charset=utf-8")
                                 << QStringList {"text-align: right"} << QStringList {};
    QTest::newRow("json") << QByteArray("GET") << QByteArray("/ranking.json") << 200 << json
                          << QStringList {"\"rows\"", "\"format\":1",
                                          "\"bombs_defused\":", "\"kills_per_death\":"}
                          << QStringList {"TotalClass", "BombeDesamoc", "\"Nom\""};
    QTest::newRow("search in any letter case")
        << QByteArray("GET") << QByteArray("/?q=zO") << 200 << html
        << QStringList {"Zoé", "zorro", "ZORG"} << QStringList {"Player"};
    QTest::newRow("search in another alphabet")
        << QByteArray("GET") << QByteArray("/?q=%D0%B4%D0%BC%D0%B8") << 200 << html
        << QStringList {"Дмитрий"} << QStringList {"Player"};
    QTest::newRow("a plus is a blank") << QByteArray("GET") << QByteArray("/?q=mr+b") << 200 << html
                                       << QStringList {"Mr Bean"} << QStringList {"Mr+Bean"};
    QTest::newRow("an encoded plus is a plus")
        << QByteArray("GET") << QByteArray("/?q=mr%2Bb") << 200 << html << QStringList {"Mr+Bean"}
        << QStringList {"Mr Bean"};
    QTest::newRow("nobody found") << QByteArray("GET") << QByteArray("/?q=nobody") << 200 << html
                                  << QStringList {"Aucun joueur."} << QStringList {"Player"};
    QTest::newRow("unknown path") << QByteArray("GET") << QByteArray("/admin") << 404 << html
                                  << QStringList {} << QStringList {};
    QTest::newRow("under a player") << QByteArray("GET") << QByteArray("/player/1/edit") << 404
                                    << html << QStringList {} << QStringList {};
    QTest::newRow("no such player") << QByteArray("GET") << QByteArray("/player/999999") << 404
                                    << html << QStringList {} << QStringList {};
    QTest::newRow("a player's id is a number")
        << QByteArray("GET") << QByteArray("/player/1%27%20OR%201=1") << 400 << html
        << QStringList {} << QStringList {};
    QTest::newRow("no player id") << QByteArray("GET") << QByteArray("/player/") << 400 << html
                                  << QStringList {} << QStringList {};
    QTest::newRow("unknown order") << QByteArray("GET") << QByteArray("/?by=height") << 400 << html
                                   << QStringList {"places, kills ou le nom"} << QStringList {};
    QTest::newRow("the database's name of a column")
        << QByteArray("GET") << QByteArray("/?by=s1_3_deagle") << 400 << html << QStringList {"by"}
        << QStringList {};
    QTest::newRow("a least number that is no number")
        << QByteArray("GET") << QByteArray("/?min=-1") << 400 << html << QStringList {"min"}
        << QStringList {};
    QTest::newRow("a column's key without its place")
        << QByteArray("GET") << QByteArray("/?by=awp&after=3") << 400 << html
        << QStringList {"VALUE,PLACE"} << QStringList {};
    QTest::newRow("a place that is no number") << QByteArray("GET") << QByteArray("/?after=x")
                                               << 400 << html << QStringList {} << QStringList {};
    QTest::newRow("a kills key without its place")
        << QByteArray("GET") << QByteArray("/?by=kills&after=12") << 400 << html
        << QStringList {"KILLS,PLACE"} << QStringList {};
    QTest::newRow("two positions") << QByteArray("GET") << QByteArray("/?after=1&before=20") << 400
                                   << html << QStringList {} << QStringList {};
    QTest::newRow("a parameter twice") << QByteArray("GET") << QByteArray("/?by=kills&by=places")
                                       << 400 << html << QStringList {} << QStringList {};
    QTest::newRow("an unknown parameter") << QByteArray("GET") << QByteArray("/?page=2") << 400
                                          << html << QStringList {"page"} << QStringList {};
    // Tools that read JSON get their errors in JSON.
    QTest::newRow("an unknown parameter in JSON")
        << QByteArray("GET") << QByteArray("/ranking.json?page=2") << 400 << json
        << QStringList {"\"error\"", "page"} << QStringList {"<"};
    QTest::newRow("an unknown order in JSON")
        << QByteArray("GET") << QByteArray("/ranking.json?by=height") << 400 << json
        << QStringList {"\"error\"", "places, kills ou"} << QStringList {"<"};
    QTest::newRow("nothing is written in JSON")
        << QByteArray("POST") << QByteArray("/ranking.json") << 405 << json
        << QStringList {"\"error\""} << QStringList {"<"};
    QTest::newRow("a search too long") << QByteArray("GET") << "/?q=" + QByteArray(101, 'a') << 400
                                       << html << QStringList {} << QStringList {};
    QTest::newRow("a search not in UTF-8") << QByteArray("GET") << QByteArray("/?q=%FF") << 400
                                           << html << QStringList {} << QStringList {};
    QTest::newRow("last is a flag") << QByteArray("GET") << QByteArray("/?last=2") << 400 << html
                                    << QStringList {} << QStringList {};
    QTest::newRow("nothing is written")
        << QByteArray("POST") << QByteArray("/") << 405 << html << QStringList {} << QStringList {};
}

void TestRankingWeb::answersEveryAddress()
{
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, target);
    QFETCH(int, status);
    QFETCH(QByteArray, type);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);
    const Reply reply = request(m_server->port, target, method);
    QVERIFY2(reply.error.isEmpty(), qPrintable(reply.error));
    QCOMPARE(reply.status, status);
    QCOMPARE(reply.headers.value("content-type"), type);
    // Every answer, errors included, forbids scripts, frames and guessing its type.
    QVERIFY(reply.headers.value("content-security-policy").startsWith("default-src 'none';"));
    QCOMPARE(reply.headers.value("x-content-type-options"), QByteArray("nosniff"));
    QCOMPARE(reply.headers.value("referrer-policy"), QByteArray("no-referrer"));
    if (method == "HEAD")
        QVERIFY(reply.headers.value("content-length").toInt() > 1000);
    for (const QString &text : shown)
        QVERIFY2(reply.text().contains(text), qPrintable(text));
    for (const QString &text : hidden)
        QVERIFY2(!reply.text().contains(text), qPrintable(text));
    if (type == "text/html; charset=utf-8")
        QCOMPARE(wrongMarkup(reply.text()), QString());
    if (type == "application/json" && method != "HEAD") {
        QJsonParseError parsed;
        const QJsonDocument document = QJsonDocument::fromJson(reply.body, &parsed);
        QCOMPARE(parsed.error, QJsonParseError::NoError);
        if (status != 200) {
            QCOMPARE(document.object()["status"].toInt(), status);
            QVERIFY(!document.object()["error"].toString().isEmpty());
        }
    }
    QVERIFY(m_server->running());
}

void TestRankingWeb::speaksTheBrowsersLanguage_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArray>("acceptLanguage"); ///< empty: no header
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("shown");
    const QStringList french {">Morts</a>", ">Bombes désamorcées</a>", "Classement par places"};
    const QStringList english {">Deaths</a>", ">Bombs defused</a>", "Ranking by places",
                               ">Knife</a>"};
    QTest::newRow("no header") << QByteArray("/") << QByteArray() << "fr" << french;
    QTest::newRow("French") << QByteArray("/") << QByteArray("fr-FR,fr;q=0.9") << "fr" << french;
    QTest::newRow("English") << QByteArray("/") << QByteArray("en-GB,en;q=0.9") << "en" << english;
    QTest::newRow("English before French")
        << QByteArray("/") << QByteArray("en-US, fr;q=0.5") << "en" << english;
    QTest::newRow("French before English")
        << QByteArray("/") << QByteArray("de, fr;q=0.8, en;q=0.7") << "fr" << french;
    QTest::newRow("English refused") << QByteArray("/") << QByteArray("en;q=0") << "fr" << french;
    QTest::newRow("another language only") << QByteArray("/") << QByteArray("de") << "fr" << french;
    QTest::newRow("an English error") << QByteArray("/?by=height") << QByteArray("en") << "en"
                                      << QStringList {"places, kills or a column"};
    QTest::newRow("a player in English")
        << QByteArray("/player/1") << QByteArray("en") << "en"
        << QStringList {"Kills by weapon", "Bombs planted", "Back to the ranking"};
}

void TestRankingWeb::speaksTheBrowsersLanguage()
{
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, acceptLanguage);
    QFETCH(QString, language);
    QFETCH(QStringList, shown);
    const Reply reply = request(
        m_server->port, target, "GET",
        acceptLanguage.isEmpty() ? QByteArray() : "Accept-Language: " + acceptLanguage + "\r\n");
    QVERIFY2(reply.error.isEmpty(), qPrintable(reply.error));
    QVERIFY(reply.status == 200 || reply.status == 400);
    QVERIFY2(reply.text().contains(QString("<html lang=\"%1\">").arg(language)),
             qPrintable(reply.text().left(300)));
    for (const QString &text : shown)
        QVERIFY2(reply.text().contains(text), qPrintable(text));
    // A cache keeps one copy for each language.
    QVERIFY2(varied(reply).contains("Accept-Language"), reply.headers.value("vary").constData());
    QCOMPARE(wrongMarkup(reply.text()), QString());
}

void TestRankingWeb::pagesFollowTheirKeys_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("parameters");
    QTest::addColumn<QString>("column"); ///< of table Stats; empty by places
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("least");
    for (const QString engine : {"SQLite", "PostgreSQL"}) {
        auto row = [&engine](const char *name) -> QTestData & {
            return QTest::newRow(qPrintable(engine + ": " + name)) << engine;
        };
        row("by places") << ""
                         << ""
                         << "" << 0;
        row("by kills") << "by=kills"
                        << "Kills"
                        << "" << 0;
        row("by places, a name's start") << "q=player"
                                         << ""
                                         << "player" << 0;
        row("by kills, a name's start in capitals") << "by=kills&q=PLAYER"
                                                    << "Kills"
                                                    << "PLAYER" << 0;
        // The other columns have no index: their orders are built once for the site.
        row("by deaths") << "by=deaths"
                         << "Deaths"
                         << "" << 0;
        row("by a weapon") << "by=awp"
                           << "p4_6_awp"
                           << "" << 0;
        row("by the score") << "by=score"
                            << "TotalClass"
                            << "" << 0;
        row("by kills per death") << "by=kills_per_death"
                                  << "kpd"
                                  << "" << 0;
        row("by a weapon, a name's start") << "by=awp&q=play"
                                           << "p4_6_awp"
                                           << "play" << 0;
        // Fewer players, each keeping the place it has in the whole ranking.
        row("by places, at least 5 kills") << "min=5"
                                           << ""
                                           << "" << 5;
        row("by kills, at least 5 kills") << "by=kills&min=5"
                                          << "Kills"
                                          << "" << 5;
        row("by deaths, at least 4 kills, a name's start") << "by=deaths&min=4&q=p"
                                                           << "Deaths"
                                                           << "p" << 4;
    }
}

void TestRankingWeb::pagesFollowTheirKeys()
{
    QFETCH(QString, engine);
    if (!pick(engine))
        QSKIP(StatsTest::TestDatabases::notGiven());
    const auto store = m_read;
    const auto server = m_serving;
    QFETCH(QString, parameters);
    QFETCH(QString, column);
    QFETCH(QString, start);
    QFETCH(int, least);
    const QStringList want = expectedBy(column, start, least);
    QVERIFY(want.size() > 100);

    // Forward from the first page through each page's link to the next, each page's rows the
    // rows of the database, every column; then back from the last page.
    QStringList forward;
    QList<QByteArray> targets;
    QByteArray target = "/ranking.json?" + parameters.toUtf8();
    while (!target.isEmpty()) {
        const Reply reply = request(server->port, target);
        QCOMPARE(reply.status, 200);
        targets << target;
        const QJsonObject page = reply.json();
        const QJsonArray rows = page["rows"].toArray();
        QVERIFY(rows.size() <= 100);
        for (const QJsonValue &value : rows) {
            const QJsonObject row = value.toObject();
            const QVariantMap stored = StatsTest::row(*store, row["name"].toString());
            QCOMPARE(row.size(), 35);
            for (const auto &[key, column] : jsonKeys())
                QCOMPARE(row[key].toVariant().toString(), stored.value(column).toString());
            QCOMPARE(row["kills_per_death"].toDouble(),
                     killsPerDeath(stored.value("Kills").toLongLong(),
                                   stored.value("Deaths").toLongLong()));
            QCOMPARE(qint64(row["id"].toDouble()), idOf(row["name"].toString()));
            forward << row["name"].toString();
        }
        // The same page as HTML shows the same players.
        QByteArray htmlTarget = target;
        htmlTarget.replace("/ranking.json", "/");
        const Reply html = request(server->port, htmlTarget);
        QCOMPARE(html.status, 200);
        QStringList shown;
        for (const QString &nom : forward.mid(forward.size() - rows.size()))
            shown << PlayerNames::visible(nom);
        QCOMPARE(pageNames(html.text()), shown);
        QCOMPARE(html.text().count("<td class=\"n\">"), rows.size() * 33);
        target = page["next"].toString().toUtf8();
        QVERIFY(targets.size() < 10);
    }
    QCOMPARE(forward, want);

    QStringList backward;
    target = request(server->port, targets.first()).json()["last"].toString().toUtf8();
    while (!target.isEmpty()) {
        const QJsonObject page = request(server->port, target).json();
        QStringList names;
        for (const QJsonValue &row : page["rows"].toArray())
            names << row.toObject()["name"].toString();
        backward = names + backward;
        target = page["previous"].toString().toUtf8();
        QVERIFY(backward.size() <= want.size());
    }
    QCOMPARE(backward, want);
}

void TestRankingWeb::playerPagesShowBothPlaces_data()
{
    StatsTest::TestDatabases::addEngines();
}

void TestRankingWeb::playerPagesShowBothPlaces()
{
    QFETCH(QString, engine);
    if (!pick(engine))
        QSKIP(StatsTest::TestDatabases::notGiven());
    const auto store = m_read;
    const auto server = m_serving;
    const QStringList byPlace = expected(DataStats::Ranking::Places);
    const QStringList byKills = expected(DataStats::Ranking::Kills);
    static const QRegularExpression place("<dt>Place</dt><dd>([0-9]+) sur ");
    static const QRegularExpression killsPlace("<dt>Place aux kills</dt><dd>([0-9]+) sur ");
    for (const QString &nom : byPlace) {
        const Reply reply = request(server->port, "/player/" + QByteArray::number(idOf(nom)));
        QCOMPARE(reply.status, 200);
        const QVariantMap row = StatsTest::row(*store, nom);
        QCOMPARE(place.match(reply.text()).captured(1).toInt(), row.value("Place").toInt());
        QCOMPARE(killsPlace.match(reply.text()).captured(1).toInt(), byKills.indexOf(nom) + 1);
        // As the database counts it while the order by kills is being built.
        const Result<qint64> counted =
            store->killsPlace(row.value("Kills").toLongLong(), row.value("Place").toLongLong());
        QVERIFY(counted);
        QCOMPARE(*counted, qint64(byKills.indexOf(nom) + 1));
        // One bar for each weapon, the knife and the grenade, as long as its kills.
        QCOMPARE(reply.text().count("<rect "), 24);
    }
    const Reply unranked = request(server->port, "/player/" + QByteArray::number(idOf("Unranked")));
    QCOMPARE(unranked.status, 200);
    QVERIFY(unranked.text().contains("pas encore classé"));
}

void TestRankingWeb::hostileNamesStayInTheirPlace_data()
{
    QTest::addColumn<QString>("nom");
    for (const auto &[label, nom] : hostileNames())
        QTest::newRow(qPrintable(label)) << nom;
}

void TestRankingWeb::hostileNamesStayInTheirPlace()
{
    QFETCH(QString, nom);
    const QString search = nom.left(100);
    const QByteArray q = QUrl::toPercentEncoding(search);

    // HTML text and attributes: the search page and the player's page.
    const Reply found = request(m_server->port, "/?q=" + q);
    QCOMPARE(found.status, 200);
    QCOMPARE(wrongMarkup(found.text()), QString());
    QCOMPARE(pageNames(found.text()), QStringList {PlayerNames::visible(nom)});
    const QRegularExpressionMatch input =
        QRegularExpression("<input id=\"q\"[^>]* value=\"([^\"]*)\">").match(found.text());
    QCOMPARE(decoded(input.captured(1)), PlayerNames::visible(search));

    // URLs: every link that keeps the search gives it back exactly.
    int links = 0;
    for (auto it = QRegularExpression("href=\"([^\"]*)\"").globalMatch(found.text());
         it.hasNext();) {
        const QString href = decoded(it.next().captured(1));
        QVERIFY2(QRegularExpression("^[A-Za-z0-9/?=&%,._~+-]*$").match(href).hasMatch(),
                 qPrintable(href.left(200)));
        if (href.contains("q=")) {
            QCOMPARE(parameterQ(href), search);
            ++links;
        }
    }
    QVERIFY(links >= 3);

    const Reply player = request(m_server->port, "/player/" + QByteArray::number(idOf(nom)));
    QCOMPARE(player.status, 200);
    QCOMPARE(wrongMarkup(player.text()), QString());
    const QRegularExpressionMatch heading =
        QRegularExpression("<h1><bdi>([^<]*)</bdi></h1>").match(player.text());
    QCOMPARE(decoded(heading.captured(1)), PlayerNames::visible(nom));
    const QRegularExpressionMatch label =
        QRegularExpression("<svg [^>]*aria-label=\"([^\"]*)\"").match(player.text());
    QCOMPARE(decoded(label.captured(1)), "Kills par arme de " + PlayerNames::visible(nom));

    // JSON: the name exactly, whatever it holds, and no raw control character.
    const Reply json = request(m_server->port, "/ranking.json?q=" + q);
    QCOMPARE(json.status, 200);
    QVERIFY(!json.body.contains('\x1b') && !json.body.contains('\n') && !json.body.contains('\r'));
    QCOMPARE(json.json()["q"].toString(), search);
    QCOMPARE(json.json()["rows"].toArray().first().toObject()["name"].toString(), nom);
}

void TestRankingWeb::answersWhileAnUpdateWrites()
{
    // Another program holds the database in a write transaction, as an update does while it
    // counts: the pages go on answering at once, with the ranking as last committed.
    QProcess writer;
    writer.start(QStandardPaths::findExecutable("sqlite3"), {m_database});
    QVERIFY(writer.waitForStarted());
    writer.write("BEGIN EXCLUSIVE;\nINSERT INTO Stats (Nom, Place) VALUES ('Uncommitted', 1000);\n"
                 "SELECT 'held';\n");
    QByteArray out;
    while (!out.contains("held")) {
        QVERIFY(writer.waitForReadyRead(10000));
        out += writer.readAllStandardOutput();
    }
    QElapsedTimer clock;
    clock.start();
    const Reply reply = request(m_server->port, "/ranking.json?last=1");
    const qint64 elapsed = clock.elapsed();
    writer.write("ROLLBACK;\n");
    writer.closeWriteChannel();
    QVERIFY(writer.waitForFinished(10000));
    QCOMPARE(reply.status, 200);
    QVERIFY(!reply.text().contains("Uncommitted"));
    QVERIFY2(elapsed < 1500, qPrintable(QString("%1 ms").arg(elapsed)));
}

void TestRankingWeb::answersWhatTheClientHolds_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArray>("held"); ///< the If-None-Match header; "TAG" the page's own tag
    QTest::addColumn<int>("status");
    for (const QByteArray target : {"/", "/?by=awp&min=2", "/ranking.json?by=kills", "/player/"}) {
        const QString page = QString::fromLatin1(target);
        QTest::newRow(qPrintable(page + ": its own tag")) << target << QByteArray("TAG") << 304;
        QTest::newRow(qPrintable(page + ": its tag as a weak one"))
            << target << QByteArray("W/TAG") << 304;
        QTest::newRow(qPrintable(page + ": among others"))
            << target << QByteArray("\"other\", TAG") << 304;
        QTest::newRow(qPrintable(page + ": any copy")) << target << QByteArray("*") << 304;
        QTest::newRow(qPrintable(page + ": another tag"))
            << target << QByteArray("\"other\"") << 200;
        QTest::newRow(qPrintable(page + ": no tag")) << target << QByteArray() << 200;
    }
}

void TestRankingWeb::answersWhatTheClientHolds()
{
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, held);
    QFETCH(int, status);
    if (target == "/player/")
        target += QByteArray::number(idOf("Zoé"));
    const Reply first = request(m_server->port, target);
    QCOMPARE(first.status, 200);
    const QByteArray tag = first.headers.value("etag");
    QVERIFY2(tag.size() > 2 && tag.startsWith('"') && tag.endsWith('"'), tag.constData());
    QCOMPARE(request(m_server->port, target).headers.value("etag"), tag);
    held.replace("TAG", tag);
    // Asked several times: each of the threads that answer has its own say.
    for (int n = 0; n < 6; ++n) {
        const Reply reply =
            request(m_server->port, target, "GET",
                    held.isEmpty() ? QByteArray() : "If-None-Match: " + held + "\r\n");
        QVERIFY2(reply.error.isEmpty(), qPrintable(reply.error));
        QCOMPARE(reply.status, status);
        QCOMPARE(reply.headers.value("etag"), tag);
        QCOMPARE(reply.body, status == 304 ? QByteArray() : first.body);
    }
}

void TestRankingWeb::compressesForWhoAcceptsIt_data()
{
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArray>("accepted"); ///< the Accept-Encoding header; empty: none
    QTest::addColumn<bool>("compressed");
    const QList<QPair<QByteArray, bool>> headers {
        {"gzip", true},
        {"gzip, deflate, br", true},
        {"GZip", true},
        {"x-gzip", true},
        {"gzip;q=0.5, identity", true},
        {"*", true},
        {"br;q=1.0, *;q=0.1", true},
        {"", false},
        {"identity", false},
        {"deflate, br", false},
        {"gzip;q=0", false},
        {"gzip; q=0.000", false},
        {"*;q=0", false},
        {"gzip;q=0, *", false},
        {"*, gzip;q=0", false},
    };
    for (const QByteArray target : {"/", "/ranking.json", "/player/"}) {
        for (const auto &[accepted, compressed] : headers)
            QTest::newRow(qPrintable(QString::fromLatin1(target + " with \"" + accepted + '"')))
                << target << accepted << compressed;
    }
}

void TestRankingWeb::compressesForWhoAcceptsIt()
{
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, accepted);
    QFETCH(bool, compressed);
    if (target == "/player/")
        target += QByteArray::number(idOf("zorro"));
    const Reply plain = request(m_server->port, target);
    QCOMPARE(plain.status, 200);
    QVERIFY(!plain.headers.contains("content-encoding"));
    const QByteArray header =
        accepted.isEmpty() ? QByteArray() : "Accept-Encoding: " + accepted + "\r\n";
    for (int n = 0; n < 3; ++n) {
        const Reply reply = request(m_server->port, target, "GET", header);
        QVERIFY2(reply.error.isEmpty(), qPrintable(reply.error));
        QCOMPARE(reply.status, 200);
        // Either way a cache must not give one client's copy to another.
        QVERIFY2(varied(reply).contains("Accept-Encoding"),
                 reply.headers.value("vary").constData());
        QVERIFY(varied(reply).contains("Accept-Language"));
        QCOMPARE(reply.headers.value("content-type"), plain.headers.value("content-type"));
        if (!compressed) {
            QVERIFY(!reply.headers.contains("content-encoding"));
            QCOMPARE(reply.body, plain.body);
            continue;
        }
        QCOMPARE(reply.headers.value("content-encoding"), QByteArray("gzip"));
        QVERIFY2(
            reply.body.size() < plain.body.size() / 2,
            qPrintable(QString("%1 of %2 bytes").arg(reply.body.size()).arg(plain.body.size())));
        QCOMPARE(inflated(reply.body), plain.body);
        // Another copy than the plain one, which the client may ask about again.
        const QByteArray tag = reply.headers.value("etag");
        QVERIFY(tag != plain.headers.value("etag"));
        const Reply again =
            request(m_server->port, target, "GET", header + "If-None-Match: " + tag + "\r\n");
        QCOMPARE(again.status, 304);
        QCOMPARE(again.headers.value("etag"), tag);
    }
}

void TestRankingWeb::noPageOutlivesAnUpdate_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArray>("accepted");
    for (const QString engine : {"SQLite", "PostgreSQL"}) {
        auto row = [&engine](const char *name) -> QTestData & {
            return QTest::newRow(qPrintable(engine + ": " + name)) << engine;
        };
        row("the ranking") << QByteArray("/") << QByteArray();
        row("the ranking, compressed") << QByteArray("/") << QByteArray("gzip");
        row("by kills") << QByteArray("/?by=kills") << QByteArray();
        row("by a weapon") << QByteArray("/?by=awp") << QByteArray();
        row("the JSON") << QByteArray("/ranking.json") << QByteArray();
        row("the JSON, compressed") << QByteArray("/ranking.json") << QByteArray("gzip");
        row("the player who moves") << QByteArray("/player/") << QByteArray();
    }
}

void TestRankingWeb::noPageOutlivesAnUpdate()
{
    QFETCH(QString, engine);
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, accepted);
    QString path;
    DataStats store;
    if (engine == "PostgreSQL") {
        if (!m_serverDatabases)
            QSKIP(StatsTest::TestDatabases::notGiven());
        path = m_serverDatabases->create(QString("changing%1").arg(++m_changing));
        QVERIFY2(!path.isEmpty(), qPrintable(m_serverDatabases->errorString()));
        QVERIFY(store.open(path));
        for (int n = 1; n <= 40; ++n)
            QVERIFY(
                StatsTest::addToPlayer(store, QString("Player%1").arg(n), counters(n % 7, n % 11)));
        QVERIFY(store.beginTransaction());
        QVERIFY(RankPlayers(store));
        QVERIFY(store.commit());
    } else {
        QVERIFY(!fewPlayers().isEmpty());
        path = m_dir.filePath(QString("changing%1.db").arg(++m_changing));
        QVERIFY(QFile::copy(fewPlayers(), path));
        QVERIFY(store.open(path));
    }
    if (target == "/player/") {
        QSqlQuery id(store.database());
        QVERIFY(id.exec(R"(SELECT "Id" FROM "Players" WHERE "Nom" = 'Player7')") && id.next());
        target += id.value(0).toByteArray();
    }
    Server server;
    QVERIFY(server.start(path));
    // A reader of its own, as each thread of the server is: nothing it keeps outlives a commit.
    DataStats reader;
    QVERIFY(reader.open(path, DataStats::Access::ReadOnly));
    const QByteArray header =
        accepted.isEmpty() ? QByteArray() : "Accept-Encoding: " + accepted + "\r\n";
    auto body = [&](const Reply &reply) {
        return accepted.isEmpty() ? reply.body : inflated(reply.body);
    };
    QByteArray shown;
    QByteArray tag;
    for (int round = 1; round <= 3; ++round) {
        // Kept by every thread that answers, then asked for again right after the commit.
        const Reply before = request(server.port, target, "GET", header);
        QCOMPARE(before.status, 200);
        for (int n = 0; n < 8; ++n)
            QCOMPARE(body(request(server.port, target, "GET", header)), body(before));
        if (round > 1) {
            QCOMPARE(body(before), shown);
            QCOMPARE(before.headers.value("etag"), tag);
        }
        QVERIFY(
            StatsTest::addToPlayer(store, "Player7", counters(100 * round, 1000 * round, round)));
        if (target.startsWith("/player/"))
            QVERIFY(StatsTest::addToPlayer(store, QString("Newcomer%1").arg(round),
                                           counters(round % 3 + 2, 40 * round)));
        QVERIFY(store.beginTransaction());
        QVERIFY(RankPlayers(store));
        // The last commit leaves a gap in the places, as a row unranked by hand does.
        if (round == 3 && target.startsWith("/player/"))
            QVERIFY(QSqlQuery(store.database())
                        .exec(R"(UPDATE "Stats" SET "Place" = 0 WHERE "Nom" = 'Player1')"));
        QVERIFY(store.setLastUpdate(QDateTime(QDate(2024, 6, round), QTime(8, 0), Qt::UTC)));
        QVERIFY(store.commit());
        for (int n = 0; n < 8; ++n) {
            const Reply after =
                request(server.port, target, "GET",
                        header + "If-None-Match: " + before.headers.value("etag") + "\r\n");
            QVERIFY2(after.error.isEmpty(), qPrintable(after.error));
            QCOMPARE(after.status, 200);
            QVERIFY(body(after) != body(before));
            QVERIFY(after.headers.value("etag") != before.headers.value("etag"));
            QVERIFY2(body(after).contains("Player7"), body(after).left(300).constData());
            QVERIFY2(body(after).contains(QByteArray::number(100 * (round * (round + 1) / 2))),
                     "the new number of kills");
            if (n == 0) {
                shown = body(after);
                tag = after.headers.value("etag");
            }
            QCOMPARE(body(after), shown);
        }
        if (!target.startsWith("/player/"))
            continue;
        // Every standing by kills as the commit left it: the player who moved past the others,
        // the ties that move broke and the player new in it.
        QSqlQuery byKills(store.database());
        QVERIFY(byKills.exec(R"(SELECT p."Id", s."Kills", s."Place" FROM "Stats" AS s )"
                             R"(JOIN "Players" AS p )"
                             R"(ON p."Nom" = s."Nom" WHERE s."Place" > 0 )"
                             R"(ORDER BY s."Kills" DESC, s."Place")"));
        static const QRegularExpression killsPlace("<dt>Place aux kills</dt><dd>([0-9]+) sur ");
        int standing = 0;
        while (byKills.next()) {
            const Reply page = request(server.port, "/player/" + byKills.value(0).toByteArray());
            QCOMPARE(page.status, 200);
            QCOMPARE(killsPlace.match(page.text()).captured(1).toInt(), ++standing);
            // And as the database counts it while the order by kills is being built.
            const Result<qint64> counted =
                store.killsPlace(byKills.value(1).toLongLong(), byKills.value(2).toLongLong());
            QVERIFY(counted);
            QCOMPARE(*counted, qint64(standing));
            const Result<qint64> read =
                reader.killsPlace(byKills.value(1).toLongLong(), byKills.value(2).toLongLong());
            QVERIFY(read);
            QCOMPARE(*read, qint64(standing));
        }
        QCOMPARE(standing, 40 + round - (round == 3 ? 1 : 0));
    }
}

void TestRankingWeb::servesManyClientsAtOnce_data()
{
    QTest::addColumn<QString>("threads");
    QTest::newRow("one thread") << "1";
    QTest::newRow("four threads") << "4";
    QTest::newRow("eight threads") << "8";
}

void TestRankingWeb::servesManyClientsAtOnce()
{
    QFETCH(QString, threads);
    Server server;
    QVERIFY(server.start(m_database, {{"TOLVANE_SERVE_THREADS", threads}}));
    QList<QByteArray> targets {"/",          "/?after=100",   "/?after=200",
                               "/?by=kills", "/?by=awp",      "/?by=deaths&min=3",
                               "/?q=zo",     "/ranking.json", "/ranking.json?last=1",
                               "/style.css", "/nowhere"};
    for (const char *nom : {"Zoé", "Player001", "Player100", "Player250", "Mr Bean"})
        targets << "/player/" + QByteArray::number(idOf(nom));
    // What each answers alone, in each language.
    QMap<QByteArray, QByteArray> alone;
    for (const QByteArray &target : targets) {
        for (const QByteArray language : {"fr", "en"}) {
            const Reply reply =
                request(server.port, target, "GET", "Accept-Language: " + language + "\r\n");
            QVERIFY(reply.status == 200 || reply.status == 404);
            alone.insert(language + ' ' + target, reply.body);
        }
    }
    // Then 48 clients at once, some of them in English, some taking gzip.
    std::vector<std::unique_ptr<Client>> clients;
    QList<QByteArray> asked;
    for (int n = 0; n < 48; ++n) {
        const QByteArray target = targets[n % targets.size()];
        const QByteArray language = n % 3 == 0 ? "en" : "fr";
        clients.push_back(
            std::make_unique<Client>(QString("127.0.7.%1").arg(n + 1).toLatin1(), server.port));
        clients.back()->send("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept-Language: "
                             + language + (n % 2 ? "\r\nAccept-Encoding: gzip" : "")
                             + "\r\nConnection: close\r\n\r\n");
        asked << language + ' ' + target;
    }
    QElapsedTimer clock;
    clock.start();
    bool open = true;
    while (open && clock.elapsed() < 60000) {
        open = false;
        for (const auto &client : clients) {
            client->push();
            client->read();
            open = open || !client->closed();
        }
        QThread::msleep(5);
    }
    QVERIFY2(!open, "every answer came within a minute");
    for (std::size_t n = 0; n < clients.size(); ++n) {
        const QByteArray &received = clients[n]->received;
        const qsizetype headEnd = received.indexOf("\r\n\r\n");
        QVERIFY2(headEnd > 0, asked[qsizetype(n)].constData());
        const QByteArray head = received.left(headEnd).toLower();
        QByteArray body = received.mid(headEnd + 4);
        if (head.contains("\r\ncontent-encoding: gzip"))
            body = inflated(body);
        QVERIFY2(body == alone.value(asked[qsizetype(n)]), asked[qsizetype(n)].constData());
    }
    QVERIFY(server.running());
}

void TestRankingWeb::unreadableDatabaseAnswers503()
{
    const QString path = m_dir.filePath("later.db");
    Server server;
    QVERIFY(server.start(path));
    // Not there yet: the server waits for it rather than creating it.
    QCOMPARE(request(server.port, "/").status, 503);
    QVERIFY(!QFile::exists(path));
    {
        QFile garbage(path);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(8192, 'x'));
    }
    for (const QByteArray target : {"/", "/ranking.json", "/player/1"}) {
        const Reply reply = request(server.port, target);
        QCOMPARE(reply.status, 503);
        QVERIFY(reply.text().contains("ne peut pas être lu"));
        const bool json = target == "/ranking.json";
        QCOMPARE(reply.headers.value("content-type"),
                 json ? QByteArray("application/json") : QByteArray("text/html; charset=utf-8"));
        if (json)
            QCOMPARE(reply.json()["status"].toInt(), 503);
    }
    QCOMPARE(request(server.port, "/style.css").status, 200);
    QCOMPARE(request(server.port, "/nowhere").status, 404);

    // Once the database is there, the same server shows it.
    QVERIFY(QFile::remove(path));
    QSqlQuery(m_store->database()).exec(QString("VACUUM INTO '%1'").arg(path));
    const Reply reply = request(server.port, "/?q=zo");
    QCOMPARE(reply.status, 200);
    QVERIFY(reply.text().contains("zorro"));
    QVERIFY(server.running());
}

void TestRankingWeb::rendersInARealBrowser()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the browser is not run in the sanitizer build");
#endif
    const QString chromium = QStandardPaths::findExecutable("chromium");
    if (chromium.isEmpty())
        QSKIP("chromium is not installed (scripts/install-deps.sh installs it)");
    QTemporaryDir profile;
    const QString shot = m_dir.filePath("ranking.png");
    const QStringList common = {
        "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
        "--disable-background-networking", "--disable-component-update", "--disable-sync",
        // The pages speak the browser's language: French here.
        "--lang=fr-FR", "--accept-lang=fr-FR,fr", "--user-data-dir=" + profile.path()};
    const QString url = QString("http://127.0.0.1:%1/").arg(m_server->port);
    QProcess browser;
    browser.start(chromium, common + QStringList {"--dump-dom", url});
    QVERIFY(browser.waitForFinished(120000));
    const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
    QVERIFY2(dom.contains("<table class=\"ranking\">"), qPrintable(browser.readAllStandardError()));
    // The page as the browser built it: no script ran, nothing a name holds became an element.
    QVERIFY(dom.contains("<title>Classement – Tolvane</title>"));
    QVERIFY(!dom.contains("pwned</title>"));
    QVERIFY(!dom.contains("<img"));
    QVERIFY(!dom.contains("<script"));
    QCOMPARE(dom.count("<tr>"), 101);
    QStringList shown;
    for (const QString &nom : expected(DataStats::Ranking::Places).mid(0, 100))
        shown << PlayerNames::visible(nom);
    QCOMPARE(pageNames(dom), shown);

    browser.start(chromium,
                  common + QStringList {"--window-size=1280,900", "--screenshot=" + shot, url});
    QVERIFY(browser.waitForFinished(120000));
    QVERIFY2(QFileInfo(shot).size() > 10000, qPrintable(browser.readAllStandardError()));
}

void TestRankingWeb::closesWhereHttpSaysSo_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("times"); // sent once more after each whole answer
    QTest::addColumn<bool>("trickled"); // a byte at a time, one every 100 ms
    QTest::addColumn<int>("status"); // of each answer; 0: no answer at all

    const QByteArray get = "GET /style.css HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    QTest::newRow("HTTP/1.0 closes after its answer")
        << QByteArray("GET /style.css HTTP/1.0\r\n\r\n") << 1 << false << 200;
    QTest::newRow("Connection: close closes after its answer") << get + "Connection: close\r\n\r\n"
                                                               << 1 << false << 200;
    QTest::newRow("kept alive for a second request, then idle") << get + "\r\n"
                                                                << 2 << false << 200;
    QTest::newRow("a request line of 64 KiB")
        << "GET /?q=" + QByteArray(64 << 10, 'a') + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"
        << 1 << false << 414;
    QTest::newRow("a header of 64 KiB") << get + "X-Long: " + QByteArray(64 << 10, 'a') + "\r\n\r\n"
                                        << 1 << false << 431;
    QTest::newRow("64 MiB of headers")
        << get + QByteArray("X-Many: " + QByteArray(120, 'a') + "\r\n").repeated(1 << 19) + "\r\n"
        << 1 << false << 431;
    QTest::newRow("a header without its colon") << get + "no colon here\r\n\r\n"
                                                << 1 << false << 400;
    QTest::newRow("a head never finished") << get << 1 << false << 0;
    QTest::newRow("a head a byte at a time, never finished")
        << get + "X-Slow: " + QByteArray(2000, 'a') << 1 << true << 0;
}

void TestRankingWeb::closesWhereHttpSaysSo()
{
    QFETCH(QByteArray, head);
    QFETCH(int, times);
    QFETCH(bool, trickled);
    QFETCH(int, status);
    // Limits short enough for a test: 2 seconds for a request, 1 of silence.
    if (!m_strict) {
        m_strict = std::make_unique<Server>();
        QVERIFY(m_strict->start(
            m_database,
            {{"TOLVANE_SERVE_REQUEST_SECONDS", "2"}, {"TOLVANE_SERVE_IDLE_SECONDS", "1"}}));
    }
    Client client("127.0.0.1", m_strict->port);
    for (int n = 1; n <= times; ++n) {
        if (!trickled) {
            client.send(head);
            client.waitAnswers(n, std::chrono::seconds(30));
            continue;
        }
        for (const char byte : head) {
            client.send(QByteArray(1, byte));
            client.waitAnswers(n, std::chrono::milliseconds(100));
            if (client.closed())
                break;
        }
    }
    // Closed by the server, as HTTP asks or as its limits say, well within this bound.
    QVERIFY2(client.waitClosed(std::chrono::seconds(30)), "the server kept the connection open");
    QCOMPARE(client.answers(), status ? QList<int>(times, status) : QList<int>());
    QVERIFY(m_strict->running());
}

void TestRankingWeb::servesWhileHundredsHoldOn()
{
    // The clients below hold their connections for the whole test (a minute for a request, a
    // minute of silence), on a server allowed 512 open files, which it cannot raise.
    Server server;
    QVERIFY(server.start(
        m_database, {{"TOLVANE_SERVE_REQUEST_SECONDS", "60"}, {"TOLVANE_SERVE_IDLE_SECONDS", "60"}},
        512));
    // The same answers without them, for the figures.
    const QByteArray targets[] = {"/", "/?by=kills", "/ranking.json", "/player/1", "/style.css"};
    qint64 quietest = 0;
    for (const QByteArray &target : targets) {
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(request(server.port, target).status, 200);
        quietest = std::max(quietest, clock.elapsed());
    }
    const qint64 before = server.memory("VmRSS");
    const qint64 quietPeak = server.memory("VmHWM");

    std::vector<std::unique_ptr<Client>> slow, idle, greedy, oversized;
    auto open = [&server](std::vector<std::unique_ptr<Client>> &group, const QString &from,
                          const QByteArray &sent) {
        group.push_back(std::make_unique<Client>(from.toLatin1(), server.port));
        group.back()->send(sent);
    };
    auto every = [&](const std::function<void(Client &)> &step) {
        for (auto *group : {&slow, &idle, &greedy, &oversized})
            for (const auto &client : *group)
                step(*client);
    };
    // Slowloris: 360 heads from 12 addresses that grow by a byte a second and never end.
    for (int address = 1; address <= 12; ++address)
        for (int n = 0; n < 30; ++n)
            open(slow, QString("127.0.1.%1").arg(address),
                 "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: a");
    // 60 connections kept alive after their answer, and 40 from one address that send nothing.
    for (int address = 1; address <= 2; ++address)
        for (int n = 0; n < 30; ++n)
            open(idle, QString("127.0.2.%1").arg(address),
                 "GET /style.css HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    for (int n = 0; n < 40; ++n)
        open(greedy, "127.0.3.1", {});
    // Eight heads of 64 MiB.
    const QByteArray huge = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n"
        + QByteArray("X-Many: " + QByteArray(120, 'a') + "\r\n").repeated(1 << 19);
    for (int address = 1; address <= 8; ++address)
        open(oversized, QString("127.0.4.%1").arg(address), huge);

    QElapsedTimer trickle;
    trickle.start();
    auto pump = [&](std::chrono::milliseconds during) {
        QElapsedTimer clock;
        clock.start();
        do {
            every([](Client &client) {
                client.push();
                client.read();
            });
            if (trickle.elapsed() >= 1000) {
                for (const auto &client : slow)
                    client->send("a");
                trickle.restart();
            }
            QThread::msleep(10);
        } while (std::chrono::milliseconds(clock.elapsed()) < during);
    };
    const qint64 processor = server.processorTime();
    pump(std::chrono::seconds(2));
    const qint64 holding = server.memory("VmRSS");
    const qint64 holdingPeak = server.memory("VmHWM");
    const qint64 holdingProcessor = server.processorTime() - processor;

    // A client like any other is served while they hold on.
    qint64 slowest = 0;
    for (int n = 0; n < 20; ++n) {
        pump(std::chrono::milliseconds(50));
        QElapsedTimer clock;
        clock.start();
        const Reply reply = request(server.port, targets[n % 5]);
        slowest = std::max(slowest, clock.elapsed());
        QVERIFY2(reply.error.isEmpty(), qPrintable(reply.error));
        QCOMPARE(reply.status, 200);
        QVERIFY(!reply.body.isEmpty());
    }
    pump(std::chrono::seconds(1));

    const qint64 peak = server.memory("VmHWM");
    const auto held =
        std::count_if(slow.begin(), slow.end(), [](const auto &c) { return !c->closed(); });
    const auto refused =
        std::count_if(greedy.begin(), greedy.end(), [](const auto &c) { return c->closed(); });
    qInfo("%d connections opened, %d slow ones still held at the end. The slowest answer took "
          "%lld ms of 5 alone, %lld ms of 20 among them. The server held %lld KiB (at most "
          "%lld KiB) after the 5, %lld KiB (at most %lld KiB) with the connections open, at "
          "most %lld KiB in all; it used %lld ms of processor time in the 2 s they were opened",
          int(slow.size() + idle.size() + greedy.size() + oversized.size()), int(held), quietest,
          slowest, before, quietPeak, holding, holdingPeak, peak, holdingProcessor);
    for (const auto &client : oversized) {
        QVERIFY(client->waitClosed(std::chrono::seconds(30)));
        QCOMPARE(client->answers(), QList<int> {431});
    }
    // 32 at most from one address; and hundreds still held while the client above was served.
    QVERIFY2(refused >= 8, qPrintable(QString::number(refused)));
    QVERIFY2(held >= 200, qPrintable(QString::number(held)));
    // Nothing near the 512 MiB that eight heads of 64 MiB would take if they were kept: the
    // connections cost the server a few MiB, and the answers no more than they do alone.
    QVERIFY2(holdingPeak - before < 32 * 1024,
             qPrintable(QString("%1 KiB more").arg(holdingPeak - before)));
#if !defined(__SANITIZE_ADDRESS__)
    // (The sanitizer build keeps freed memory aside for a while, which the pages' own swells.)
    QVERIFY2(peak - quietPeak < 64 * 1024,
             qPrintable(QString("%1 KiB more").arg(peak - quietPeak)));
#endif
    QVERIFY(server.running());
}

void TestRankingWeb::capsConnections()
{
    Server server;
    QVERIFY(server.start(m_database,
                         {{"TOLVANE_SERVE_REQUEST_SECONDS", "60"},
                          {"TOLVANE_SERVE_IDLE_SECONDS", "60"},
                          {"TOLVANE_SERVE_CONNECTIONS", "40"},
                          {"TOLVANE_SERVE_PER_ADDRESS", "5"}}));
    // Twelve connections from one address: five are answered, the others closed unanswered.
    {
        std::vector<std::unique_ptr<Client>> clients;
        for (int n = 0; n < 12; ++n)
            clients.push_back(std::make_unique<Client>("127.0.5.1", server.port));
        int answered = 0;
        int closed = 0;
        for (const auto &client : clients) {
            client->send("GET /style.css HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
            client->waitAnswers(1, std::chrono::seconds(30));
            if (client->answers() == QList<int> {200})
                ++answered;
            else if (client->closed() && client->received.isEmpty())
                ++closed;
        }
        QCOMPARE(answered, 5);
        QCOMPARE(closed, 7);
    }
    // Sixty silent connections from sixty addresses, of 40 allowed: the oldest make room.
    std::vector<std::unique_ptr<Client>> silent;
    for (int n = 1; n <= 60; ++n) {
        silent.push_back(
            std::make_unique<Client>(QString("127.0.6.%1").arg(n).toLatin1(), server.port));
        QThread::msleep(5);
    }
    const Reply reply = request(server.port, "/style.css");
    QVERIFY2(reply.error.isEmpty(), qPrintable(reply.error));
    QCOMPARE(reply.status, 200);
    QElapsedTimer clock;
    clock.start();
    int closed = 0;
    do {
        QThread::msleep(20);
        closed = 0;
        for (const auto &client : silent) {
            client->read();
            closed += int(client->closed());
        }
    } while (closed < 25 && clock.elapsed() < 30000);
    QVERIFY2(closed >= 25, qPrintable(QString::number(closed)));
    // Those that went were the oldest.
    for (std::size_t n = silent.size() - 10; n < silent.size(); ++n)
        QVERIFY(!silent[n]->closed());
    QVERIFY(server.running());
}

void TestRankingWeb::refusesWrongLimits_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("value");
    QTest::newRow("61 seconds for a request") << "TOLVANE_SERVE_REQUEST_SECONDS"
                                              << "61";
    QTest::newRow("no time at all to be idle") << "TOLVANE_SERVE_IDLE_SECONDS"
                                               << "0";
    QTest::newRow("words for a number") << "TOLVANE_SERVE_IDLE_SECONDS"
                                        << "ten";
    QTest::newRow("no thread to answer") << "TOLVANE_SERVE_THREADS"
                                         << "0";
    QTest::newRow("more from one address than in all") << "TOLVANE_SERVE_PER_ADDRESS"
                                                       << "2000";
}

void TestRankingWeb::refusesWrongLimits()
{
    QFETCH(QString, variable);
    QFETCH(QString, value);
    QProcess server;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(variable, value);
    server.setProcessEnvironment(environment);
    server.start(TOLVANE_BINARY, {"--serve", "127.0.0.1:0", "--db", m_database});
    if (!server.waitForFinished(10000)) {
        server.kill();
        server.waitForFinished();
        QFAIL("the server started");
    }
    QCOMPARE(server.exitCode(), 1);
    const QString err = QString::fromUtf8(server.readAllStandardError());
    QVERIFY2(err.startsWith("tolvane: " + variable + " takes ") && err.contains(value),
             qPrintable(err));
}

void TestRankingWeb::htmlLeavesOthersFilesAlone_data()
{
    QTest::addColumn<bool>("earlierSet");
    QTest::addColumn<bool>("listless"); // the earlier set is one that did not list its files
    QTest::addColumn<QStringList>("theirs"); // "NAME/" a folder; "%id" the first player's id
    QTest::addColumn<QStringList>("leftOver"); // listed as the earlier set's, and no longer in it
    QTest::addColumn<QString>("refused"); // the name the run refuses to write over

    QTest::newRow("a CNAME, robots.txt and a git folder beside an earlier set")
        << true << false << QStringList {"CNAME", "robots.txt", ".git/HEAD", ".git/objects/ab/cd"}
        << QStringList {} << "";
    QTest::newRow("a file of their own under player/")
        << true << false << QStringList {"player/extra.txt", "player/notes.html"} << QStringList {}
        << "";
    QTest::newRow("a site of their own, and no set yet")
        << false << false << QStringList {"CNAME", "about/me.html"} << QStringList {} << "";
    QTest::newRow("pages of an earlier set that the new one has not")
        << true << false << QStringList {"CNAME"}
        << QStringList {"places-11.html", "player/999999.html"} << "";
    QTest::newRow("a set written before sets listed their files")
        << true << true << QStringList {"CNAME", "player/extra.txt"}
        << QStringList {"player/999999.html"} << "";
    QTest::newRow("an index page of theirs")
        << false << false << QStringList {"CNAME", "index.html"} << QStringList {} << "index.html";
    QTest::newRow("a player page of theirs")
        << false << false << QStringList {"player/%id.html"} << QStringList {} << "player/%id.html";
    QTest::newRow("a style sheet of theirs beside a page of the set")
        << false << false << QStringList {"style.css"} << QStringList {} << "style.css";
    QTest::newRow("a folder of theirs by the name of a page")
        << false << false << QStringList {"kills-1.html/"} << QStringList {} << "kills-1.html";
    QTest::newRow("a file of theirs by the name of the players' folder")
        << false << false << QStringList {"player"} << QStringList {} << "player";
}

void TestRankingWeb::htmlLeavesOthersFilesAlone()
{
    QFETCH(bool, earlierSet);
    QFETCH(bool, listless);
    QFETCH(QStringList, theirs);
    QFETCH(QStringList, leftOver);
    QFETCH(QString, refused);
    const QString database = fewPlayers();
    QVERIFY(!database.isEmpty());
    // The first player of the ranking, whose page the set has.
    const QString id = QString::number(m_fewFirst);
    theirs.replaceInStrings("%id", id);
    refused.replace("%id", id);

    QTemporaryDir parent;
    const QString site = parent.filePath("site");
    QVERIFY(QDir().mkpath(site));
    auto html = [&site, &database]() {
        QProcess run;
        run.start(TOLVANE_BINARY, {"--html", site, "--db", database});
        run.waitForFinished(120000);
        return std::pair {run.exitCode(), QString::fromUtf8(run.readAllStandardError())};
    };
    auto put = [&site](const QString &name, const QByteArray &content) {
        const QString path = site + '/' + name;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
    };
    const QString list = site + "/.tolvane-html";
    if (earlierSet) {
        const auto [code, err] = html();
        QVERIFY2(code == 0, qPrintable(err));
        QVERIFY(QFile::exists(list));
    }
    if (listless) {
        // Such a set had only a marker, and nothing else in its folder.
        QFile marker(list);
        QVERIFY(marker.open(QIODevice::WriteOnly | QIODevice::Truncate));
        marker.write("Written by tolvane --html: the next run replaces this whole folder.\n");
    }
    for (const QString &name : leftOver) {
        QVERIFY(put(name, "an earlier page"));
        if (!listless) {
            QFile file(list);
            QVERIFY(file.open(QIODevice::Append));
            file.write(name.toUtf8() + '\n');
        }
    }
    QMap<QString, QByteArray> before;
    for (const QString &name : theirs) {
        if (name.endsWith('/'))
            QVERIFY(QDir().mkpath(site + '/' + name));
        else
            QVERIFY(put(name, "theirs: " + name.toUtf8()));
        before.insert(name, "theirs: " + name.toUtf8());
    }

    const auto [code, err] = html();
    // Whatever the outcome, what is theirs is where it was, as it was.
    for (const QString &name : theirs) {
        if (name.endsWith('/')) {
            QVERIFY2(QFileInfo(site + '/' + name).isDir(), qPrintable(name));
            continue;
        }
        QFile file(site + '/' + name);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(name));
        QCOMPARE(file.readAll(), before.value(name));
    }
    // Nothing is left of the folders the new set waited in.
    const auto everything = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
    for (const QString &name :
         QDir(site).entryList(everything) + QDir(parent.path()).entryList(everything))
        QVERIFY2(name == ".tolvane-html"
                     || (!name.startsWith(".tolvane-html") && !name.startsWith(".site")),
                 qPrintable("left behind: " + name));

    if (!refused.isEmpty()) {
        QCOMPARE(code, 1);
        QCOMPARE(err,
                 "tolvane: " + QDir::toNativeSeparators(site + '/' + refused)
                     + " was not written by tolvane --html; move it away or give another "
                       "folder\n");
        if (!earlierSet)
            for (const QString name : {"index.html", "style.css", ".tolvane-html"})
                QVERIFY2(theirs.contains(name) || !QFileInfo::exists(site + '/' + name),
                         qPrintable(name));
        return;
    }
    QVERIFY2(code == 0, qPrintable(err));
    // The list names the set, all of which is there, and nothing of theirs.
    QFile listed(list);
    QVERIFY(listed.open(QIODevice::ReadOnly));
    QStringList names;
    for (const QByteArray &line : listed.readAll().split('\n'))
        if (!line.isEmpty() && !line.startsWith('#'))
            names << QString::fromUtf8(line);
    QVERIFY(names.contains("index.html"));
    QVERIFY(names.contains("kills-1.html"));
    QVERIFY(names.contains("style.css"));
    QVERIFY(names.contains("player/" + id + ".html"));
    for (const QString &name : names) {
        QVERIFY2(QFileInfo(site + '/' + name).isFile(), qPrintable(name));
        QVERIFY2(!theirs.contains(name), qPrintable(name));
    }
    for (const QString &name : leftOver)
        QVERIFY2(!QFileInfo::exists(site + '/' + name), qPrintable(name));
    QFile index(site + "/index.html");
    QVERIFY(index.open(QIODevice::ReadOnly));
    QVERIFY(index.readAll().startsWith("<!DOCTYPE html>"));
}

void TestRankingWeb::htmlSaysWhyItCannotWrite_data()
{
    QTest::addColumn<bool>("earlierSet");
    QTest::addColumn<int>("room"); // KiB left free: room for a part of the first page
    QTest::newRow("a new folder on a full disk") << false << 0;
    QTest::newRow("over an earlier set on a full disk") << true << 0;
    QTest::newRow("a new folder, room for part of a page") << false << 4;
    QTest::newRow("over an earlier set, room for part of a page") << true << 4;
}

void TestRankingWeb::htmlSaysWhyItCannotWrite()
{
    QFETCH(bool, earlierSet);
    QFETCH(int, room);
    QTemporaryDir dir;
    // Forty players: every page is longer than the room left.
    const QString database = fewPlayers();
    QVERIFY(!database.isEmpty());
    const QString mount = dir.filePath("disk");
    FullDisk disk(mount, 1024);
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.whyNot()));
    const QString site = mount + "/site";
    auto html = [&] {
        QProcess run;
        run.start(TOLVANE_BINARY, {"--html", site, "--db", database});
        run.waitForFinished(60000);
        return std::pair {run.exitCode(), QString::fromUtf8(run.readAllStandardError())};
    };
    QMap<QString, QByteArray> earlier;
    if (earlierSet) {
        const auto [code, err] = html();
        QVERIFY2(code == 0, qPrintable(err));
        QDirIterator files(site, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            earlier.insert(file.fileName(), file.readAll());
        }
        QVERIFY(earlier.size() >= 6);
    }
    QVERIFY(disk.fill());
    if (room > 0) {
        QFile ballast(mount + "/.ballast");
        QVERIFY(ballast.resize(ballast.size() - room * 1024));
    }

    const auto [code, err] = html();
    QCOMPARE(code, 1);
    QVERIFY2(err.startsWith("tolvane: ") && err.endsWith(": No space left on device\n"),
             qPrintable(err));
    // It names the file of the set, not the folder the set waited in.
    QVERIFY2(!err.contains(".new-"), qPrintable(err));
    // The earlier set is untouched, and nothing is left of the one that could not be written.
    QMap<QString, QByteArray> after;
    QDirIterator files(site, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        after.insert(file.fileName(), file.readAll());
    }
    QCOMPARE(after, earlier);
    const QStringList left =
        QDir(mount).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const QStringList kept =
        earlierSet ? QStringList {".ballast", "site"} : QStringList {".ballast"};
    QCOMPARE(left, kept);
}

QTEST_GUILESS_MAIN(TestRankingWeb)
#include "test_rankingweb.moc"
