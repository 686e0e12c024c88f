// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/web/webescape.h"

#include "stats/store/playernames.h"

#include <QByteArray>

namespace {

/// \a text shown as PlayerNames::visible() shows it, with the characters of \a special as
/// references.
QString escaped(const QString &text, QLatin1StringView special)
{
    const QString shown = PlayerNames::visible(text);
    QString out;
    out.reserve(shown.size() + shown.size() / 8);
    for (const QChar c : shown) {
        if (c.unicode() >= 0x80 || !special.contains(c)) {
            out += c;
            continue;
        }
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        default:
            out += QLatin1String("&#") + QString::number(c.unicode()) + QLatin1Char(';');
        }
    }
    return out;
}

} // namespace

QString WebEscape::html(const QString &text)
{
    return escaped(text, QLatin1StringView("&<>\"'"));
}

QString WebEscape::attribute(const QString &text)
{
    // The backquote too: some old browsers took it for a quote around an attribute's value.
    return escaped(text, QLatin1StringView("&<>\"'`"));
}

QString WebEscape::url(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toPercentEncoding());
}
