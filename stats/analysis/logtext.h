// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/analysis/bytescan.h"

#include <QByteArray>
#include <QByteArrayView>

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
    /// Index of the first CR or LF in \a bytes, or -1 when there is none.
    static qsizetype firstLineEnd(QByteArrayView bytes);

    /// Calls \a f(line) for each line of \a bytes; a last line without an end is included.
    template<typename F>
    static void forEachLine(QByteArrayView bytes, F &&f);
    /// As forEachLine(), calling \a f(line, holds), \a holds telling whether \a c occurs in
    /// the line: found in the same pass as its end.
    template<typename F>
    static void forEachLineNoting(QByteArrayView bytes, char c, F &&f);
    static qsizetype lineCount(QByteArrayView bytes);

    /// Whether \a bytes are UTF-8; a log that is not is read as Windows-1252.
    static bool isValidUtf8(QByteArrayView bytes);

    /// \a line without its apostrophes: \a line itself when it holds none, else a view of
    /// \a buffer, which keeps its room for the next line.
    static QByteArrayView withoutApostrophes(QByteArrayView line, QByteArray &buffer);
};

template<typename F>
void LogText::forEachLine(QByteArrayView bytes, F &&f)
{
    // One scan for either end: servers write LF or CR LF, CR alone is rare.
    const char *p = bytes.data();
    const char *end = p + bytes.size();
    while (p < end) {
        const char *lineEnd = ByteScan::findEither(p, end, '\n', '\r');
        if (!lineEnd) {
            f(QByteArrayView(p, end - p));
            return;
        }
        f(QByteArrayView(p, lineEnd - p));
        p = *lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n' ? lineEnd + 2 : lineEnd + 1;
    }
}

template<typename F>
void LogText::forEachLineNoting(QByteArrayView bytes, char c, F &&f)
{
    const char *p = bytes.data();
    const char *end = p + bytes.size();
    while (p < end) {
        bool holds = false;
        const char *lineEnd = ByteScan::findEitherNoting(p, end, '\n', '\r', c, holds);
        if (!lineEnd) {
            f(QByteArrayView(p, end - p), holds);
            return;
        }
        f(QByteArrayView(p, lineEnd - p), holds);
        p = *lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n' ? lineEnd + 2 : lineEnd + 1;
    }
}
