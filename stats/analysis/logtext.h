#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstring>

/**
 * The bytes of a log file: their encoding and their lines. Servers since 2013 write UTF-8
 * names, older ones the Windows code page. Every line end counts: CR LF, LF alone and CR alone.
 */
class LogText
{
public:
    /// Whether the last non-empty line of \a tail is the server's "... Log file closed".
    static bool endsClosed(QByteArrayView tail);
    /// Index just behind the last line end in \a bytes, or -1 when there is none.
    static qsizetype afterLastLineEnd(QByteArrayView bytes);

    /// Calls \a f(line) for each line of \a bytes; a last line without an end is included.
    template<typename F>
    static void forEachLine(QByteArrayView bytes, F &&f);
    static qsizetype lineCount(QByteArrayView bytes);

    /// Whether \a bytes are UTF-8; a log that is not is read as Windows-1252.
    static bool isValidUtf8(QByteArrayView bytes);
};

template<typename F>
void LogText::forEachLine(QByteArrayView bytes, F &&f)
{
    // Two memchr per line instead of a test per byte: servers write LF or CR LF, CR alone is rare.
    const char *p = bytes.data();
    const char *end = p + bytes.size();
    while (p < end) {
        const auto *lf = static_cast<const char *>(std::memchr(p, '\n', std::size_t(end - p)));
        const char *lineEnd = lf ? lf : end;
        const auto *cr = static_cast<const char *>(std::memchr(p, '\r', std::size_t(lineEnd - p)));
        if (cr) {
            f(QByteArrayView(p, cr - p));
            p = (cr + 1 == lf) ? lf + 1 : cr + 1;
        } else if (lf) {
            f(QByteArrayView(p, lf - p));
            p = lf + 1;
        } else {
            f(QByteArrayView(p, end - p));
            p = end;
        }
    }
}
