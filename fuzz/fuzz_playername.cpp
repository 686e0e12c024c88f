// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A player's name, as any client may choose its bytes, through what the programs do with it: the
// reading of a log's name (UTF-8, or Windows-1252 when it is not), the clean-up, and the escaping
// for the terminal (--print) and for each place of a web page. The clean-up is compared with its
// rules applied to the characters one by one; each escaping must be undone exactly by its reader
// and leave nothing that could end a quote, open a tag or act on a terminal.

#include "fuzz/fuzzsupport.h"
#include "platform/files/windows1252.h"
#include "stats/analysis/logparser.h"
#include "stats/analysis/logtext.h"
#include "stats/store/playernames.h"
#include "stats/web/webescape.h"

#include <QRegularExpression>

namespace {

/// The clean-up's three steps on characters, as its rules say; a cut whose length would be
/// negative keeps nothing.
std::u32string referenceClean(std::u32string name)
{
    if (!name.empty() && name[0] == U'(')
        name = name.size() > 3 ? name.substr(3) : std::u32string();
    if (const std::size_t p = name.find(U'('); p != std::u32string::npos)
        name = name.substr(0, p == 0 ? 0 : p - 1);
    if (name.size() >= 2 && name[0] == U'[' && name[1] == U'P')
        name = name.size() > 5 ? name.substr(5) : std::u32string();
    return name;
}

std::u32string characters(const QString &text)
{
    const QList<uint> units = text.toUcs4();
    return std::u32string(units.begin(), units.end());
}

bool acts(char32_t c)
{
    const QChar::Category category = QChar::category(c);
    return category == QChar::Other_Control || category == QChar::Other_Format
        || category == QChar::Other_Surrogate || category == QChar::Separator_Line
        || category == QChar::Separator_Paragraph;
}

/// Reads back what PlayerNames::visible() wrote; nothing when it is not such a text.
std::optional<QString> unescapeVisible(const QString &shown)
{
    static const QRegularExpression escape(
        QStringLiteral(R"(\G\\(?:(\\)|x([0-9a-f]{2})|u\{([0-9a-f]{4,6})\}))"));
    QString name;
    for (qsizetype at = 0; at < shown.size();) {
        if (shown.at(at) != u'\\') {
            name += shown.at(at++);
            continue;
        }
        const QRegularExpressionMatch m = escape.match(shown, at);
        if (!m.hasMatch())
            return std::nullopt;
        if (m.hasCaptured(1)) {
            name += u'\\';
        } else {
            const uint code =
                (m.hasCaptured(2) ? m.captured(2) : m.captured(3)).toUInt(nullptr, 16);
            const char32_t c = code;
            name += QString::fromUcs4(&c, 1);
        }
        at = m.capturedEnd();
    }
    return name;
}

/// Reads back the references of an escaped text; nothing when one is not the escaping's.
std::optional<QString> unescapeMarkup(const QString &escaped)
{
    static const QRegularExpression reference(QStringLiteral(R"(\G&(amp|lt|gt|quot|#([0-9]+));)"));
    QString text;
    for (qsizetype at = 0; at < escaped.size();) {
        if (escaped.at(at) != u'&') {
            text += escaped.at(at++);
            continue;
        }
        const QRegularExpressionMatch m = reference.match(escaped, at);
        if (!m.hasMatch())
            return std::nullopt;
        const QString name = m.captured(1);
        if (name == QLatin1String("amp"))
            text += u'&';
        else if (name == QLatin1String("lt"))
            text += u'<';
        else if (name == QLatin1String("gt"))
            text += u'>';
        else if (name == QLatin1String("quot"))
            text += u'"';
        else
            text += QChar(char16_t(m.captured(2).toUInt()));
        at = m.capturedEnd();
    }
    return text;
}

void checkMarkup(const QString &escaped, const QString &shown, const char *forbidden,
                 const QString &context)
{
    for (const char *c = forbidden; *c; ++c) {
        if (escaped.contains(QLatin1Char(*c)))
            Fuzz::fail("an escaped name holds no character that ends a quote or opens a tag",
                       context + QStringLiteral(": ") + Fuzz::shownText(escaped));
    }
    const std::optional<QString> back = unescapeMarkup(escaped);
    Fuzz::require(back.has_value(), "an escaped name holds only its own references",
                  context + QStringLiteral(": ") + Fuzz::shownText(escaped));
    Fuzz::require(*back == shown, "an escaped name reads back as the name shown",
                  context + QStringLiteral(": ") + Fuzz::shownText(escaped));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView raw = Fuzz::bytes(data, size);
    const QByteArray decoded =
        LogText::isValidUtf8(raw) ? raw.toByteArray() : Windows1252::decode(raw).toUtf8();
    Fuzz::require(LogText::isValidUtf8(decoded), "a name read from a log is UTF-8",
                  Fuzz::shown(raw));

    const QByteArrayView cleaned = CleanPlayerName(decoded);
    Fuzz::require(
        cleaned.isEmpty()
            || (cleaned.data() >= decoded.constData()
                && cleaned.data() + cleaned.size() <= decoded.constData() + decoded.size()),
        "the clean-up keeps a part of the name", Fuzz::shown(decoded));
    Fuzz::require(LogText::isValidUtf8(cleaned), "the clean-up cuts between characters",
                  Fuzz::shown(decoded) + QStringLiteral(" -> ") + Fuzz::shown(cleaned));
    const QString nom = QString::fromUtf8(cleaned);
    const std::u32string wanted = referenceClean(characters(QString::fromUtf8(decoded)));
    Fuzz::require(characters(nom) == wanted, "the clean-up follows its rules, by characters",
                  Fuzz::shown(decoded) + QStringLiteral(" -> ") + Fuzz::shown(cleaned));

    const QString shown = PlayerNames::visible(nom);
    for (const char32_t c : characters(shown)) {
        if (acts(c))
            Fuzz::fail("a name shown holds no character that acts",
                       Fuzz::shownText(nom) + QStringLiteral(" -> ") + Fuzz::shownText(shown));
    }
    const std::optional<QString> unshown = unescapeVisible(shown);
    Fuzz::require(unshown.has_value() && *unshown == nom,
                  "a name shown reads back as the name: no escape can be imitated",
                  Fuzz::shownText(nom) + QStringLiteral(" -> ") + Fuzz::shownText(shown));

    checkMarkup(WebEscape::html(nom), shown, "<>\"'", QStringLiteral("html"));
    checkMarkup(WebEscape::attribute(nom), shown, "<>\"'`", QStringLiteral("attribute"));

    const QString url = WebEscape::url(nom);
    static const QRegularExpression urlShape(
        QStringLiteral(R"(^(?:[A-Za-z0-9._~-]|%[0-9A-F]{2})*$)"));
    Fuzz::require(urlShape.match(url).hasMatch(), "a name in a URL is percent-encoded",
                  Fuzz::shownText(url));
    Fuzz::require(QString::fromUtf8(QByteArray::fromPercentEncoding(url.toLatin1())) == nom,
                  "a name in a URL reads back as the name", Fuzz::shownText(nom));
    return 0;
}
