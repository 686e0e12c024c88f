// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/files/fileidentity.h"
#include "platform/result/failure.h"
#include "stats/analysis/logtext.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstring>

/**
 * Reads a log file in blocks of whole lines, so that a day of a busy server costs a megabyte of
 * memory rather than its size, and each block is checked and parsed while it is in the cache.
 *
 * A file whose last non-empty line is not the server's "Log file closed" is still being written:
 * only its complete lines are countable.
 */
class LogFileReader
{
public:
    explicit LogFileReader(const QString &path);

    /// Opens the file and finds its countable end; false with failure() on failure.
    bool open();
    const Failure &failure() const { return m_failure; }

    qint64 size() const { return m_size; }
    /// The file opened, which its name may stop naming while it is read.
    const FileIdentity &identity() const { return m_identity; }
    bool isClosed() const { return m_closed; }
    qint64 countableEnd() const { return m_end; }
    /// The first \a length bytes (which identify the file).
    QByteArray head(qint64 length);

    /// A line longer than this is no server's (theirs stay under about a kilobyte): it is
    /// skipped, so that memory stays bounded by the block size whatever the file holds.
    static constexpr qsizetype maxLineLength = 1 << 20;

    /// Calls \a f(block) for consecutive blocks of whole lines covering [from, countableEnd()),
    /// and \a overlong() in place of each line longer than maxLineLength, in file order.
    template<typename F, typename G>
    bool forEachBlock(qint64 from, F &&f, G &&overlong);

private:
    bool readAt(qint64 offset, qint64 length, QByteArray &into);
    bool readAt(qint64 offset, qint64 length, char *into);
    bool findCountableEnd();

    QFile m_file;
    FileIdentity m_identity;
    qint64 m_size = 0;
    qint64 m_end = 0;
    bool m_closed = false;
    Failure m_failure;
};

template<typename F, typename G>
bool LogFileReader::forEachBlock(qint64 from, F &&f, G &&overlong)
{
    constexpr qint64 blockSize = 1 << 20;
    // Each read lands behind the unfinished line the previous block left: no byte is copied
    // twice, and the buffer never holds more than a block and a line.
    QByteArray buffer(blockSize + maxLineLength + 1, Qt::Uninitialized);
    qsizetype kept = 0;
    bool skipping = false; // inside an overlong line, up to its end
    bool afterCr = false; // the previous block ended on a CR: a LF next closes the same line
    qint64 offset = from;
    while (offset < m_end) {
        const qint64 length = std::min(blockSize, m_end - offset);
        if (!readAt(offset, length, buffer.data() + kept))
            return false;
        offset += length;
        const bool last = offset >= m_end;
        QByteArrayView data(buffer.constData(), kept + length);
        if (afterCr && data.startsWith('\n'))
            data = data.sliced(1);
        afterCr = false;
        if (skipping) {
            const qsizetype end = LogText::firstLineEnd(data);
            if (end < 0) {
                kept = 0;
                continue;
            }
            skipping = false;
            overlong();
            afterCr = data[end] == '\r' && end + 1 == data.size() && !last;
            data = data.sliced(end + 1 < data.size() && data[end] == '\r' && data[end + 1] == '\n'
                                   ? end + 2
                                   : end + 1);
        }
        if (last) {
            if (!data.isEmpty())
                f(data);
            break;
        }
        // A CR at the very end may be the first half of a CR LF: leave it for the next block.
        QByteArrayView whole = data;
        if (whole.endsWith('\r'))
            whole.chop(1);
        const qsizetype cut = LogText::afterLastLineEnd(whole);
        if (cut > 0)
            f(whole.first(cut));
        const QByteArrayView rest = data.sliced(std::max<qsizetype>(cut, 0));
        if (rest.size() > maxLineLength) {
            skipping = true;
            kept = 0;
            continue;
        }
        std::memmove(buffer.data(), rest.data(), std::size_t(rest.size()));
        kept = rest.size();
    }
    if (skipping)
        overlong();
    return true;
}
