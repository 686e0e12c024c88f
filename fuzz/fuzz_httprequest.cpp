// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

// An HTTP request's raw bytes through the web server as it ships: libmicrohttpd, in this process
// on the loopback, reads the request line and the headers; the server's own code takes the
// target apart and the site chooses the page from the path and the query, over a small store
// whose names are hostile. The bytes go in whole, as a client sends them, so the headers and
// everything the library does with them are tried too, not only what reaches the site.
//
// Checked: every request is answered and its connection closed; each answer of the site is
// well-formed, its pages only the site's own markup (a name or a search never becomes a tag,
// an attribute or a link elsewhere) without a character that acts rather than shows, its JSON
// valid.

#include "fuzz/fuzzsupport.h"
#include "stats/analysis/eventaccumulator.h"
#include "stats/analysis/logparser.h"
#include "stats/analysis/rankplayers.h"
#include "stats/store/datastats.h"
#include "stats/web/rankingsite.h"
#include "stats/web/webserver.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>

#include <chrono>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Names from anyone who joins a server: markup, quotes of every kind, entities, placeholders,
// controls and direction overrides, in several alphabets.
const char *const hostileNames[] = {
    "<script>alert(1)</script>",
    "\"><img src=x onerror=alert(1)>",
    "' onmouseover='alert(1)",
    "`backquote`",
    "&amp; &lt; &#60;",
    "%1 %2 %3",
    "\u202eevil",
    "\x1b[31mred\x1b[0m",
    "line\u2028separator",
    "Zo\xc3\xa9",
    "\xd0\x94\xd1\x83\xd1\x81\xd1\x82",
    "javascript:alert(1)",
    "back\\slash",
};

QString storePath()
{
    return Fuzz::scratchFolder() + QStringLiteral("/site.db");
}

/// The store, made through the counting as an update run makes it; more players than one page.
void makeStore()
{
    DataStats store;
    const Result<> opened = store.open(storePath());
    Fuzz::require(opened.ok(), "the store opens", opened.reason());
    EventAccumulator accumulator(store);
    QList<QByteArray> names;
    for (const char *name : hostileNames)
        names << QByteArray(name);
    for (int i = 0; i < 150; ++i)
        names << QByteArray("player") + QByteArray::number(i);
    QList<QByteArray> lines;
    for (int i = 0; i < names.size(); ++i) {
        const QByteArray &killer = names[i];
        const QByteArray &victim = names[(i * 7 + 3) % names.size()];
        // The hostile names lead the ranking: every first page shows them.
        const int kills = i < int(std::size(hostileNames)) ? 10 : i % 5 + 1;
        for (int k = 0; k < kills; ++k)
            lines << "L 08/05/2013 - 20:53:51: \"" + killer + "<1><BOT><CT>\" killed \"" + victim
                    + "<2><BOT><TERRORIST>\" with \"" + (k % 2 ? "awp" : "knife") + "\"";
    }
    for (const QByteArray &line : lines) {
        const auto event = ParseLogLine(line);
        Fuzz::require(event.has_value(), "a line of the store parses", Fuzz::shown(line));
        accumulator.AccumulateEvent(*event);
    }
    accumulator.endFile();
    Result<> made = store.beginTransaction();
    if (made)
        made = accumulator.flush(true);
    if (made)
        made = RankPlayers(store);
    if (made)
        made = store.setLastUpdate(QDateTime::currentDateTimeUtc());
    if (made)
        made = store.commit();
    Fuzz::require(made.ok(), "the store is filled", made.reason());
}

// The site's own markup: its elements and attributes, and nothing else.
const QSet<QString> elements = {
    QStringLiteral("html"),    QStringLiteral("head"),   QStringLiteral("meta"),
    QStringLiteral("title"),   QStringLiteral("link"),   QStringLiteral("body"),
    QStringLiteral("header"),  QStringLiteral("h1"),     QStringLiteral("h2"),
    QStringLiteral("p"),       QStringLiteral("time"),   QStringLiteral("main"),
    QStringLiteral("nav"),     QStringLiteral("a"),      QStringLiteral("span"),
    QStringLiteral("form"),    QStringLiteral("input"),  QStringLiteral("label"),
    QStringLiteral("button"),  QStringLiteral("div"),    QStringLiteral("table"),
    QStringLiteral("caption"), QStringLiteral("thead"),  QStringLiteral("tbody"),
    QStringLiteral("tr"),      QStringLiteral("th"),     QStringLiteral("td"),
    QStringLiteral("bdi"),     QStringLiteral("footer"), QStringLiteral("dl"),
    QStringLiteral("dt"),      QStringLiteral("dd"),     QStringLiteral("figure"),
    QStringLiteral("svg"),     QStringLiteral("text"),   QStringLiteral("rect"),
};
const QSet<QString> attributes = {
    QStringLiteral("lang"),
    QStringLiteral("charset"),
    QStringLiteral("name"),
    QStringLiteral("content"),
    QStringLiteral("rel"),
    QStringLiteral("href"),
    QStringLiteral("class"),
    QStringLiteral("aria-label"),
    QStringLiteral("aria-current"),
    QStringLiteral("aria-labelledby"),
    QStringLiteral("role"),
    QStringLiteral("method"),
    QStringLiteral("action"),
    QStringLiteral("type"),
    QStringLiteral("value"),
    QStringLiteral("for"),
    QStringLiteral("id"),
    QStringLiteral("maxlength"),
    QStringLiteral("tabindex"),
    QStringLiteral("scope"),
    QStringLiteral("colspan"),
    QStringLiteral("datetime"),
    QStringLiteral("xmlns"),
    QStringLiteral("viewBox"),
    QStringLiteral("width"),
    QStringLiteral("height"),
    QStringLiteral("font-size"),
    QStringLiteral("x"),
    QStringLiteral("y"),
    QStringLiteral("text-anchor"),
    QStringLiteral("fill"),
    QStringLiteral("aria-sort"),
    QStringLiteral("inputmode"),
    QStringLiteral("min"),
    QStringLiteral("title"),
};

/// Whether \a c acts rather than shows: a control other than the line feed, a format character
/// (direction overrides and isolates among them), a line or paragraph separator.
bool acts(char32_t c)
{
    if (c == U'\n')
        return false;
    const QChar::Category category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Other_Format
        || category == QChar::Separator_Line || category == QChar::Separator_Paragraph;
}

/// A tag of the site's own markup: <name attribute="value" ...> or </name>, at \a at.
struct Tag
{
    QString name;
    QList<QPair<QString, QString>> attributes;
    qsizetype end = 0; ///< just behind the ">"
};

/// The tag that starts at \a at, read by hand: a regular expression would check the whole page
/// for valid UTF-16 at every tag.
std::optional<Tag> readTag(const QString &page, qsizetype at)
{
    auto isLetter = [](QChar c) {
        return c.isLetter() && c.unicode() < 0x80;
    };
    auto isNameChar = [&](QChar c) {
        return isLetter(c) || (c >= u'0' && c <= u'9') || c == u'-';
    };
    Tag tag;
    qsizetype i = at + 1;
    if (i < page.size() && page.at(i) == u'/')
        ++i;
    const qsizetype nameStart = i;
    while (i < page.size() && isNameChar(page.at(i)))
        ++i;
    if (i == nameStart || !isLetter(page.at(nameStart)))
        return std::nullopt;
    tag.name = page.mid(nameStart, i - nameStart);
    for (;;) {
        const qsizetype spaceStart = i;
        while (i < page.size() && page.at(i).isSpace())
            ++i;
        if (i < page.size() && page.at(i) == u'/')
            ++i;
        if (i < page.size() && page.at(i) == u'>') {
            tag.end = i + 1;
            return tag;
        }
        if (i == spaceStart)
            return std::nullopt;
        const qsizetype attributeStart = i;
        while (i < page.size() && isNameChar(page.at(i)))
            ++i;
        if (i == attributeStart || i + 1 >= page.size() || page.at(i) != u'='
            || page.at(i + 1) != u'"')
            return std::nullopt;
        const QString attribute = page.mid(attributeStart, i - attributeStart);
        i += 2;
        const qsizetype valueStart = i;
        while (i < page.size() && page.at(i) != u'"' && page.at(i) != u'<' && page.at(i) != u'>')
            ++i;
        if (i >= page.size() || page.at(i) != u'"')
            return std::nullopt;
        tag.attributes.append({attribute, page.mid(valueStart, i - valueStart)});
        ++i;
    }
}

/// Whether a character reference starts at \a at: "&name;" or "&#digits;".
bool isReference(const QString &page, qsizetype at)
{
    qsizetype i = at + 1;
    const bool numeric = i < page.size() && page.at(i) == u'#';
    if (numeric)
        ++i;
    const qsizetype start = i;
    while (i < page.size()
           && (numeric ? page.at(i) >= u'0' && page.at(i) <= u'9'
                       : page.at(i) >= u'a' && page.at(i) <= u'z'))
        ++i;
    return i > start && i < page.size() && page.at(i) == u';';
}

void checkPage(const QByteArray &body, const QString &context)
{
    const QString page = QString::fromUtf8(body);
    Fuzz::require(page.toUtf8() == body, "a page is UTF-8", context);
    for (const char32_t c : page.toUcs4()) {
        if (acts(c))
            Fuzz::fail("a page holds no character that acts",
                       context + QStringLiteral(": U+%1").arg(uint(c), 4, 16, QLatin1Char('0')));
    }
    const QString doctype = QStringLiteral("<!DOCTYPE html>\n");
    Fuzz::require(page.startsWith(doctype), "a page is HTML", context);
    auto near = [&](qsizetype at) {
        return context + QStringLiteral(" at ")
            + Fuzz::shownText(page.mid(std::max<qsizetype>(at - 40, 0), 80));
    };
    for (qsizetype at = doctype.size(); at < page.size(); ++at) {
        const QChar c = page.at(at);
        if (c == u'&') {
            if (!isReference(page, at))
                Fuzz::fail("every & starts a reference", near(at));
            continue;
        }
        if (c == u'>' || c == u'"')
            Fuzz::fail("no > or \" outside the markup", near(at));
        if (c != u'<')
            continue;
        const std::optional<Tag> tag = readTag(page, at);
        if (!tag)
            Fuzz::fail("every < starts a tag", near(at));
        if (!elements.contains(tag->name))
            Fuzz::fail("only the site's own elements", near(at));
        for (const auto &[attribute, value] : tag->attributes) {
            if (!attributes.contains(attribute))
                Fuzz::fail("only the site's own attributes", near(at));
            const bool link =
                attribute == QLatin1String("href") || attribute == QLatin1String("action");
            if (link && (!value.startsWith(u'/') || value.startsWith(u"//")))
                Fuzz::fail("every link stays on the site", near(at));
            for (qsizetype v = value.indexOf(u'&'); v >= 0; v = value.indexOf(u'&', v + 1)) {
                if (!isReference(value, v))
                    Fuzz::fail("every & starts a reference", near(at));
            }
        }
        at = tag->end - 1;
    }
}

void checkAnswer(const WebRequest &request, const WebResponse &response)
{
    const QString context = QStringLiteral("%1?%2 -> %3")
                                .arg(Fuzz::shown(request.path), Fuzz::shown(request.query))
                                .arg(response.status);
    Fuzz::require(!request.path.contains('?'), "the path is cut at its query", context);
    static const QSet<int> statuses = {200, 400, 404, 405};
    Fuzz::require(statuses.contains(response.status),
                  "the site answers 200, 400, 404 or 405 over a readable store", context);
    Fuzz::require((request.method == WebRequest::Method::Other) == (response.status == 405),
                  "a method other than GET and HEAD, and only that, is not allowed", context);
    QByteArray type;
    for (const auto &[name, value] : response.headers) {
        Fuzz::require(!name.contains('\r') && !name.contains('\n') && !value.contains('\r')
                          && !value.contains('\n'),
                      "no header holds a line break", context);
        if (name == "Content-Type")
            type = value;
    }
    if (type == "application/json") {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(response.body, &error);
        Fuzz::require(error.error == QJsonParseError::NoError && document.isObject(),
                      "a JSON answer is a JSON object", context);
    } else if (type == "text/html; charset=utf-8") {
        checkPage(response.body, context);
    } else {
        Fuzz::require(type == "text/css; charset=utf-8" && response.status == 200,
                      "an answer is a page, JSON or the style sheet", context);
    }
}

struct Site
{
    RankingSite site {storePath()};
    std::vector<WebRequest> handled; ///< the requests of the current input, in order
    WebServer server {[this](const WebRequest &request) {
                          handled.push_back(request);
                          WebResponse response = site.handle(request);
                          checkAnswer(request, response);
                          return response;
                      },
                      WebServer::Limits {}};
    quint16 port = 0;
};

Site &site()
{
    static Site *running = [] {
        Fuzz::startApplication();
        makeStore();
        auto *made = new Site;
        const Result<quint16> listening = made->server.listen(QHostAddress::LocalHost, 0);
        Fuzz::require(listening.ok(), "the server listens", listening.reason());
        made->port = *listening;
        return made;
    }();
    return *running;
}

/// Sends \a request on a new connection and reads what comes back until the server closes the
/// connection or has nothing left to do: a client that only half-closes its side is kept open
/// until it is idle too long, which would cost seconds per input.
QByteArray exchange(QByteArrayView request)
{
    const quint16 port = site().port;
    const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    Fuzz::require(client >= 0, "a client socket is made");
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int connected = ::connect(client, reinterpret_cast<const sockaddr *>(&to), sizeof to);
    Fuzz::require(connected == 0 || errno == EINPROGRESS, "the client connects");
    // Reset rather than closed in turn: no connection is left waiting out its time.
    const linger reset {1, 0};
    ::setsockopt(client, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);

    QAbstractEventDispatcher *events = QAbstractEventDispatcher::instance();
    QByteArray answer;
    qsizetype sent = 0;
    bool shut = false;
    int quiet = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (quiet < 3) {
        bool busy = events->processEvents(QEventLoop::AllEvents);
        if (!shut) {
            const ssize_t n = ::send(client, request.data() + sent,
                                     std::size_t(request.size() - sent), MSG_NOSIGNAL);
            if (n > 0) {
                sent += n;
                busy = true;
            } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != ENOTCONN) {
                shut = true; // the server has closed: what it answered is still to be read
            }
            if (sent == request.size()) {
                ::shutdown(client, SHUT_WR);
                shut = true;
            }
        }
        char buffer[65536];
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n > 0) {
            answer.append(buffer, n);
            busy = true;
        } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            break;
        }
        quiet = busy || !shut ? 0 : quiet + 1;
        Fuzz::require(std::chrono::steady_clock::now() < deadline,
                      "the server is done with a request within seconds",
                      Fuzz::shown(request.first(std::min<qsizetype>(request.size(), 200))));
        if (!busy) {
            pollfd wait {client, POLLIN, 0};
            ::poll(&wait, 1, 1);
        }
    }
    ::close(client);
    return answer;
}

/// Where the request line of \a request sends it, when it is a plain GET or HEAD whose target
/// holds no control character (the library reads a target only up to a NUL): its target in
/// origin form ("/path?query") or absolute form ("http://host/path?query", the scheme in any
/// letter case, as a proxy sends it), split by the rules of URIs.
std::optional<WebRequest> requestLine(QByteArrayView request)
{
    static const QRegularExpression line(
        QStringLiteral(R"(^(GET|HEAD) ([\x{21}-\x{7e}\x{80}-\x{ff}]+) HTTP/1\.[01]\r?\n)"));
    static const QRegularExpression absolute(QStringLiteral("^https?://[^/?]*"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m =
        line.match(QString::fromLatin1(request.first(std::min<qsizetype>(request.size(), 4096))));
    if (!m.hasMatch())
        return std::nullopt;
    WebRequest wanted;
    wanted.method =
        m.captured(1) == QLatin1String("GET") ? WebRequest::Method::Get : WebRequest::Method::Head;
    QString target = m.captured(2);
    if (const QRegularExpressionMatch authority = absolute.match(target); authority.hasMatch()) {
        target = target.mid(authority.capturedLength());
        if (!target.startsWith(u'/'))
            target.prepend(u'/');
    }
    const qsizetype question = target.indexOf(u'?');
    wanted.path = target.left(question < 0 ? target.size() : question).toLatin1();
    wanted.query = question < 0 ? QByteArray() : target.mid(question + 1).toLatin1();
    return wanted;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView request = Fuzz::bytes(data, size);
    site().handled.clear();
    const QByteArray answer = exchange(request);
    if (const std::optional<WebRequest> wanted = requestLine(request);
        wanted && !site().handled.empty()) {
        const WebRequest &got = site().handled.front();
        Fuzz::require(got.method == wanted->method && got.path == wanted->path
                          && got.query == wanted->query,
                      "the site gets the path and the query the request line names",
                      Fuzz::shown(request.first(request.indexOf('\n')))
                          + QStringLiteral(" -> path %1, query %2")
                                .arg(Fuzz::shown(got.path), Fuzz::shown(got.query)));
    }
    static const QRegularExpression statusLine(QStringLiteral(R"(^HTTP/1\.[01] [1-5][0-9]{2} )"));
    Fuzz::require(answer.isEmpty()
                      || statusLine.match(QString::fromLatin1(answer.left(16))).hasMatch(),
                  "an answer starts with its status line", Fuzz::shown(answer.left(200)));
    return 0;
}
