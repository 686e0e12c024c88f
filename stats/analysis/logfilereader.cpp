// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/analysis/logfilereader.h"

#include "platform/files/filestore.h"
#include "stats/analysis/logtext.h"

LogFileReader::LogFileReader(const QString &path) : m_file(path) { }

bool LogFileReader::open()
{
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_failure = FileStore::failureOf(m_file);
        return false;
    }
    m_identity = FileIdentity::of(m_file);
    // What the server appends from now on waits for the next run.
    m_size = m_file.size();
    return findCountableEnd();
}

bool LogFileReader::readAt(qint64 offset, qint64 length, QByteArray &into)
{
    into.resize(length);
    return readAt(offset, length, into.data());
}

bool LogFileReader::readAt(qint64 offset, qint64 length, char *into)
{
    if (!m_file.seek(offset) || m_file.read(into, length) != length) {
        m_failure = m_file.error() != QFileDevice::NoError
            ? FileStore::failureOf(m_file)
            : Failure(QStringLiteral("the file shrank"));
        return false;
    }
    return true;
}

QByteArray LogFileReader::head(qint64 length)
{
    QByteArray bytes;
    if (!readAt(0, std::min(length, m_size), bytes))
        return {};
    return bytes;
}

bool LogFileReader::findCountableEnd()
{
    constexpr qint64 tailSize = 64 * 1024;
    QByteArray tail;
    if (!readAt(std::max<qint64>(0, m_size - tailSize), std::min(tailSize, m_size), tail))
        return false;
    m_closed = LogText::endsClosed(tail);
    if (m_closed) {
        m_end = m_size;
        return true;
    }
    // Walk back from the end to the last line end; only a monstrous last line needs more than
    // the one block already read.
    qint64 blockEnd = m_size;
    QByteArray block = tail;
    while (true) {
        const qsizetype after = LogText::afterLastLineEnd(block);
        const qint64 blockStart = blockEnd - block.size();
        if (after >= 0) {
            m_end = blockStart + after;
            return true;
        }
        if (blockStart == 0) {
            m_end = 0;
            return true;
        }
        blockEnd = blockStart;
        if (!readAt(std::max<qint64>(0, blockEnd - tailSize), std::min(tailSize, blockEnd), block))
            return false;
    }
}
