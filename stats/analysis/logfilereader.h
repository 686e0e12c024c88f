#pragma once

#include "fileidentity.h"
#include "logtext.h"

#include <QByteArray>
#include <QFile>
#include <QString>

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

    /// Opens the file and finds its countable end; false with errorString() on failure.
    bool open();
    QString errorString() const;

    qint64 size() const { return m_size; }
    /// The file opened, which its name may stop naming while it is read.
    const FileIdentity &identity() const { return m_identity; }
    bool isClosed() const { return m_closed; }
    qint64 countableEnd() const { return m_end; }
    /// The first \a length bytes (which identify the file).
    QByteArray head(qint64 length);

    /// Calls \a f(block) for consecutive blocks of whole lines covering [from, countableEnd()).
    template<typename F>
    bool forEachBlock(qint64 from, F &&f);

private:
    bool readAt(qint64 offset, qint64 length, QByteArray &into);
    bool findCountableEnd();

    QFile m_file;
    FileIdentity m_identity;
    qint64 m_size = 0;
    qint64 m_end = 0;
    bool m_closed = false;
    QString m_error;
};

template<typename F>
bool LogFileReader::forEachBlock(qint64 from, F &&f)
{
    constexpr qint64 blockSize = 1 << 20;
    QByteArray block;
    QByteArray chunk;
    qint64 offset = from;
    while (offset < m_end) {
        const qint64 length = std::min(blockSize, m_end - offset);
        if (!readAt(offset, length, chunk))
            return false;
        offset += length;
        block += chunk;
        if (offset >= m_end) {
            f(QByteArrayView(block));
            break;
        }
        // A CR at the very end may be the first half of a CR LF: leave it for the next block.
        QByteArrayView whole(block);
        if (whole.endsWith('\r'))
            whole.chop(1);
        const qsizetype cut = LogText::afterLastLineEnd(whole);
        if (cut <= 0)
            continue;
        f(whole.first(cut));
        block.remove(0, cut);
    }
    return true;
}
