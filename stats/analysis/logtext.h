#pragma once

#include <QByteArrayView>
#include <QString>

/**
 * The bytes of a log file: its encoding and its lines. Servers since 2013 write UTF-8 names,
 * older ones the Windows code page; a file is UTF-8 only when all of it is valid UTF-8.
 * Every line end counts: CR LF, LF alone and CR alone.
 */
class LogText
{
public:
    explicit LogText(QByteArrayView bytes);

    bool isUtf8() const { return m_utf8; }
    QString decode(QByteArrayView bytes) const;

    /// Where counting may stop: the end of the last complete line, or the whole text when the
    /// server closed the file (its last non-empty line is "... Log file closed").
    qsizetype countableEnd() const;
    bool isClosed() const;

    /// Calls \a f(line) for each line of [from, to); a last line without an end is included.
    template<typename F>
    static void forEachLine(QByteArrayView bytes, qsizetype from, qsizetype to, F &&f);
    static qsizetype lineCount(QByteArrayView bytes, qsizetype from, qsizetype to);

    static bool isValidUtf8(QByteArrayView bytes);
    static QString fromWindows1252(QByteArrayView bytes);

private:
    QByteArrayView m_bytes;
    bool m_utf8;
};

template<typename F>
void LogText::forEachLine(QByteArrayView bytes, qsizetype from, qsizetype to, F &&f)
{
    const char *data = bytes.data();
    qsizetype start = from;
    qsizetype i = from;
    while (i < to) {
        const char c = data[i];
        if (c == '\n' || c == '\r') {
            f(QByteArrayView(data + start, i - start));
            i += (c == '\r' && i + 1 < to && data[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < to)
        f(QByteArrayView(data + start, to - start));
}
