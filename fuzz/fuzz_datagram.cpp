// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A UDP datagram through the live feed: the packet taken apart, the sender policy's verdict, and
// an accepted line journaled into a spool file as the listener does, then the file closed. Its
// first byte chooses the sender and whether the system cut the datagram short; the text up to
// the first line feed is read as an "--allow" entry, the rest is the datagram. The packet is
// compared with its layout written as one regular expression, the verdict with the policy's rules.

#include "fuzz/fuzzsupport.h"
#include "stats/analysis/logparser.h"
#include "stats/analysis/logtext.h"
#include "stats/listener/logpacket.h"
#include "stats/listener/senderpolicy.h"
#include "stats/listener/spoolwriter.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace {

const QByteArray secret = "31337";

QString verdictText(SenderPolicy::Verdict verdict)
{
    switch (verdict) {
    case SenderPolicy::Verdict::Accepted:
        return QStringLiteral("accepted");
    case SenderPolicy::Verdict::UnknownSender:
        return QStringLiteral("unknown sender");
    case SenderPolicy::Verdict::WrongSecret:
        return QStringLiteral("wrong secret");
    case SenderPolicy::Verdict::MissingSecret:
        return QStringLiteral("no secret");
    }
    return {};
}

const SenderPolicy &policy()
{
    static const SenderPolicy *allowed = [] {
        const Result<SenderPolicy> made = SenderPolicy::fromArguments(
            {QStringLiteral("192.0.2.7:27015"), QStringLiteral("192.0.2.8/") + secret,
             QStringLiteral("[2001:db8::7]:27015/") + secret});
        Fuzz::require(made.ok(), "the policy is read", made.reason());
        return new SenderPolicy(*made);
    }();
    return *allowed;
}

struct Sender
{
    const char *address;
    quint16 port;
    enum { Open, Keyed, Unknown } rule;
};

// Who sends: allowed without a secret, allowed with one, and strangers, some of them near misses.
constexpr Sender senders[] = {
    {"192.0.2.7", 27015, Sender::Open},      {"::ffff:192.0.2.7", 27015, Sender::Open},
    {"192.0.2.7", 27016, Sender::Unknown},   {"192.0.2.8", 1, Sender::Keyed},
    {"192.0.2.8", 27015, Sender::Keyed},     {"2001:db8::7", 27015, Sender::Keyed},
    {"2001:db8::7", 27016, Sender::Unknown}, {"127.0.0.1", 27015, Sender::Unknown},
};

SpoolWriter &spool()
{
    static SpoolWriter *writer = [] {
        Fuzz::startApplication();
        auto *made = new SpoolWriter(Fuzz::scratchFolder() + QStringLiteral("/spool"),
                                     [](QByteArrayView line) { return LogText::endsClosed(line); });
        const Result<> prepared = made->prepare();
        Fuzz::require(prepared.ok(), "the spool folder is taken", prepared.reason());
        return made;
    }();
    return *writer;
}

/// The packet's layout in one piece: header, "log " or "S" and the secret's digits, the time
/// stamp and the rest of the line, then line ends and NULs only.
const QRegularExpression &layout()
{
    static const QRegularExpression pattern(
        QStringLiteral(
            "^\\x{ff}{4}(?:log |S([0-9]+))"
            "(L [0-9]{2}/[0-9]{2}/[0-9]{4} - [0-9]{2}:[0-9]{2}:[0-9]{2}: [^\\r\\n\\x{0}]*)"
            "[\\r\\n]*\\x{0}*\\z"),
        QRegularExpression::DotMatchesEverythingOption);
    return pattern;
}

void checkEntry(const QString &text)
{
    const Result<SenderPolicy::Entry> entry = SenderPolicy::parseEntry(text);
    if (!entry)
        return;
    // An entry shown as the start-up message shows it reads back as the same entry.
    const QString again = entry->sender.toString()
        + (entry->secret.isEmpty() ? QString() : QLatin1Char('/') + QLatin1String(entry->secret));
    const Result<SenderPolicy::Entry> reread = SenderPolicy::parseEntry(again);
    Fuzz::require(reread.ok(), "an entry as shown can be read again",
                  Fuzz::shownText(text) + QStringLiteral(" -> ") + Fuzz::shownText(again));
    Fuzz::require(reread->sender.address == entry->sender.address
                      && reread->sender.port == entry->sender.port
                      && reread->secret == entry->secret,
                  "an entry as shown reads back as itself",
                  Fuzz::shownText(text) + QStringLiteral(" -> ") + Fuzz::shownText(again));
    for (const char c : entry->secret)
        Fuzz::require(c >= '0' && c <= '9', "a secret is digits", Fuzz::shownText(text));
}

void checkSpool(const QString &server, QByteArrayView line)
{
    SpoolWriter &writer = spool();
    const Result<> appended = writer.append(server, line, SpoolWriter::Clock::now());
    Fuzz::require(appended.ok(), "an accepted line is written", appended.reason());
    const Result<QStringList> closed = writer.closeAll();
    Fuzz::require(closed.ok(), "the spool files close", closed.reason());
    QDir folder(writer.folder());
    const QStringList files = folder.entryList({QStringLiteral("*.log")}, QDir::Files);
    Fuzz::require(files.size() == 1, "one line makes one spool file",
                  files.join(QStringLiteral(", ")));
    QFile file(folder.filePath(files.first()));
    Fuzz::require(file.open(QIODevice::ReadOnly), "the spool file can be read", file.fileName());
    const QByteArray content = file.readAll();
    file.close();
    QFile::remove(file.fileName());
    QList<QByteArray> lines;
    LogText::forEachLine(content, [&](QByteArrayView l) { lines << l.toByteArray(); });
    Fuzz::require(!lines.isEmpty() && lines.first() == line,
                  "the spool file starts with the line, whole", Fuzz::shown(content));
    Fuzz::require(lines.size() <= 2, "a line is journaled as one line", Fuzz::shown(content));
    Fuzz::require(LogText::endsClosed(content), "a closed spool file ends with its closing line",
                  Fuzz::shown(content));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::uint8_t choice = data[0];
    const QByteArrayView rest = Fuzz::bytes(data + 1, size - 1);
    const qsizetype lineEnd = rest.indexOf('\n');
    if (lineEnd >= 0)
        checkEntry(QString::fromUtf8(rest.first(lineEnd)));

    const QByteArrayView datagram = lineEnd >= 0 ? rest.sliced(lineEnd + 1) : rest;
    const bool cutShort = choice & 0x80;
    const Sender &sender = senders[choice % std::size(senders)];
    const LogPacket packet = LogPacket::parse(datagram, cutShort);

    const QRegularExpressionMatch shape = layout().match(QString::fromLatin1(datagram));
    const bool fits = !cutShort && datagram.size() <= LogPacket::maxSize && shape.hasMatch();
    Fuzz::require(packet.isValid() == fits, "a packet is taken exactly when it has the layout",
                  Fuzz::shown(datagram));
    Fuzz::require((packet.fault() == LogPacket::Fault::Oversized)
                      == (cutShort || datagram.size() > LogPacket::maxSize),
                  "only a packet too long is oversized", Fuzz::shown(datagram));
    Fuzz::require(packet.isValid() == (packet.fault() == LogPacket::Fault::None),
                  "a packet has a fault exactly when it is refused");
    if (!packet.isValid()) {
        Fuzz::require(packet.line().isEmpty() && packet.secret().isEmpty(),
                      "a refused packet gives no line");
        return 0;
    }
    Fuzz::require(packet.line() == shape.captured(2).toLatin1(), "the line is the packet's line",
                  Fuzz::shown(datagram));
    Fuzz::require(packet.secret() == shape.captured(1).toLatin1(),
                  "the secret is the packet's secret", Fuzz::shown(datagram));
    Fuzz::require((packet.kind() == LogPacket::Kind::Keyed) == shape.hasCaptured(1),
                  "a packet is keyed exactly when it has a secret", Fuzz::shown(datagram));

    const SenderPolicy::Verdict verdict = SenderPolicy::check(
        policy().find(QHostAddress(QLatin1String(sender.address)), sender.port), packet);
    SenderPolicy::Verdict wanted = SenderPolicy::Verdict::Accepted;
    if (sender.rule == Sender::Unknown)
        wanted = SenderPolicy::Verdict::UnknownSender;
    else if (sender.rule == Sender::Keyed && packet.kind() != LogPacket::Kind::Keyed)
        wanted = SenderPolicy::Verdict::MissingSecret;
    else if (sender.rule == Sender::Keyed && packet.secret() != secret)
        wanted = SenderPolicy::Verdict::WrongSecret;
    Fuzz::require(verdict == wanted, "the policy judges by sender and secret",
                  QStringLiteral("%1 port %2: %3, wanted %4")
                      .arg(QLatin1String(sender.address))
                      .arg(sender.port)
                      .arg(verdictText(verdict), verdictText(wanted)));
    if (verdict != SenderPolicy::Verdict::Accepted)
        return 0;
    // What the listener reports of the line: whether the update's parser can cut it.
    (void)ParseLogLine(packet.line());
    checkSpool(SpoolWriter::serverName(QHostAddress(QLatin1String(sender.address)), sender.port),
               packet.line());
    return 0;
}
