// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "bench/expectedstats.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QString>

/**
 * Writes a server log line by line, as a Counter-Strike server would, and tallies into an
 * ExpectedStats what each counted line must add to the players' counters.
 *
 * Players are numbered; their names are plain letters and digits, distinct in any letter case
 * (a prefix of letters, then the number). A share of the lines may spell a player already
 * counted in upper case: such names must land on the row first written.
 */
class LogGenerator
{
public:
    enum class Kind { Kill, Suicide, Planted, Defused, Rescued, Chatter, Malformed };

    LogGenerator(ExpectedStats &expected, quint32 seed);

    /// Starts a log at \a path with the server's "Log file started" line.
    bool open(const QString &path);
    /// Ends the log, with "Log file closed" unless \a closed is false (a log still written).
    bool finish(bool closed = true);
    QString errorString() const { return m_file.errorString(); }

    /// Share (0..1) of the counted mentions of a known player spelled in upper case.
    void setVariantShare(double share) { m_variantShare = share; }

    /// A kind of line in about the mix of a busy server: mostly kills, some objectives,
    /// suicides and chatter, and now and then a line the server writes that cannot be cut.
    Kind randomKind();
    /// Whether a line of \a kind counts for its player (chatter does not).
    static bool counts(Kind kind) { return kind != Kind::Chatter && kind != Kind::Malformed; }
    /// Writes a line of \a kind; \a victim is used by kills only.
    void write(Kind kind, int actor, int victim = -1);
    void kill(int killer, int victim, QByteArrayView weapon);
    /// A line of \a bytes bytes without a line end inside, which names no player and which
    /// the parser cannot cut; it counts nothing.
    void longMalformedLine(qint64 bytes);
    /// Writes \a text as one line of the log; \a malformed: the parser cannot cut it.
    void writeLine(QByteArrayView text, bool malformed = false);
    /// The time stamp that starts the next line ("L 12/07/2026 - 20:00:00: ").
    QByteArray stamp() const;

    QRandomGenerator &random() { return m_random; }
    qint64 lines() const { return m_lines; }
    qint64 malformedLines() const { return m_malformed; }
    qint64 bytes() const { return m_bytes; }

    static QByteArray playerName(int player);

private:
    QByteArray spelled(int player, bool counted);
    QByteArray mention(int player, const QByteArray &name, const char *team) const;
    void line(QByteArrayView text);
    void flush(bool always);

    ExpectedStats &m_expected;
    QRandomGenerator m_random;
    QFile m_file;
    QByteArray m_buffer;
    double m_variantShare = 0;
    qint64 m_lines = 0;
    qint64 m_malformed = 0;
    qint64 m_bytes = 0;
    bool m_failed = false;
};
