#include "configtext.h"

ConfigText ConfigText::fromBytes(const QByteArray &bytes)
{
    qsizetype crlf = 0;
    qsizetype lf = 0;
    qsizetype cr = 0;
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char byte = bytes.at(i);
        if (byte == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n') {
            ++crlf;
            ++i;
            text += QLatin1Char('\n');
        } else if (byte == '\r') {
            ++cr;
            text += QLatin1Char('\n');
        } else {
            if (byte == '\n')
                ++lf;
            text += QLatin1Char(byte);
        }
    }

    ConfigText result;
    result.m_text = std::move(text);
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

QByteArray ConfigText::toBytes(const QString &text) const
{
    QByteArray bytes = text.toLatin1();
    switch (m_lineEnd) {
    case LineEnd::Lf:
        break;
    case LineEnd::CrLf:
        bytes.replace('\n', "\r\n");
        break;
    case LineEnd::Cr:
        bytes.replace('\n', '\r');
        break;
    }
    return bytes;
}
