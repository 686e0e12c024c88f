// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/core/configtext.h"

#include "configmanager/core/quorreltexts.h"
#include "platform/files/windows1252.h"

ConfigText ConfigText::fromBytes(const QByteArray &bytes)
{
    qsizetype crlf = 0;
    qsizetype lf = 0;
    qsizetype cr = 0;
    QByteArray folded;
    folded.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char byte = bytes.at(i);
        if (byte == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n') {
            ++crlf;
            ++i;
            folded += '\n';
        } else if (byte == '\r') {
            ++cr;
            folded += '\n';
        } else {
            if (byte == '\n')
                ++lf;
            folded += byte;
        }
    }

    ConfigText result;
    result.m_text = Windows1252::decode(folded);
    // A file that mixes line ends gets the most common one back for all lines.
    if (crlf >= lf && crlf >= cr && crlf > 0)
        result.m_lineEnd = LineEnd::CrLf;
    else if (cr > lf)
        result.m_lineEnd = LineEnd::Cr;
    else
        result.m_lineEnd = LineEnd::Lf;
    return result;
}

QString ConfigText::fromEditor(const QString &rawEditorText)
{
    QString text = rawEditorText;
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

Result<QByteArray> ConfigText::toBytes(const QString &text) const
{
    qsizetype at = 0;
    auto bytes = Windows1252::encode(text, &at);
    if (!bytes) {
        // A character outside the basic plane takes two code units; show it whole.
        const QChar first = text.at(at);
        const bool pair = first.isHighSurrogate() && at + 1 < text.size();
        const char32_t code =
            pair ? QChar::surrogateToUcs4(first, text.at(at + 1)) : first.unicode();
        const qsizetype line = text.left(at).count(QLatin1Char('\n')) + 1;
        return Result<QByteArray>::failure(
            QuorrelTexts::unencodableCharacter(text.mid(at, pair ? 2 : 1), code, line));
    }
    if (m_lineEnd != LineEnd::Lf)
        bytes->replace('\n', m_lineEnd == LineEnd::CrLf ? "\r\n" : "\r");
    return *std::move(bytes);
}
