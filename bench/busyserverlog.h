// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "bench/expectedstats.h"
#include "bench/loggenerator.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <vector>

/**
 * Writes the log of a busy public server, as unlike the benchmark's tidy log as real ones are,
 * and tallies into an ExpectedStats what it must count.
 *
 * Half the lines are kills; the rest are what a server writes around them (team and world
 * events, connections, chat in several alphabets, apostrophes, the odd suicide and objective)
 * and some malformed lines: kills cut short in their weapon word, server messages holding an
 * event word but no player, lines cut in the middle of a name. A player's name is written under
 * several spellings: its own, in upper or lower case, behind a "(1)" duplicate prefix, with a
 * " (xx)" clan suffix or a "[POD]" bot tag. A fifth of the names are accented (a quarter of
 * their mentions written by old clients in Windows-1252), Greek or Cyrillic.
 */
class BusyServerLog
{
public:
    BusyServerLog(ExpectedStats &expected, int players, quint32 seed);

    /// Writes a closed log of about \a lines lines at \a path; false when it cannot.
    bool write(const QString &path, qint64 lines);
    QString errorString() const { return m_log.errorString(); }

    qint64 lines() const { return m_log.lines(); }
    qint64 bytes() const { return m_log.bytes(); }
    /// Lines that the parser cannot cut, each reported as malformed by the update.
    qint64 malformedLines() const { return m_log.malformedLines(); }
    qint64 kills() const { return m_kills; }
    /// The different byte strings the log names its players with.
    qsizetype spellings() const { return m_written.size(); }

private:
    enum class Script { Ascii, Accented, Greek, Cyrillic, Bot };
    struct Player
    {
        Script script;
        QByteArray id; // "<12><STEAM_0:1:4711>"
        // The name in its own case, upper case and lower case, as UTF-8 and, for accented
        // names, as the Windows-1252 of old clients.
        QByteArray utf8[3];
        QByteArray windows1252[3];
    };
    /// One mention of a player: the bytes written and the spelling the store must keep.
    struct Mention
    {
        QByteArray written;
        QByteArray spelling;
    };

    int pick();
    Mention mention(int player);
    QByteArray quoted(int player, const QByteArray &written, const char *team) const;
    QByteArray quoted(int player, const char *team);
    void kill();
    void counted(int roll);
    void chatter(int roll);
    void malformed();

    ExpectedStats &m_expected;
    LogGenerator m_log;
    std::vector<Player> m_players;
    QSet<QByteArray> m_written;
    qint64 m_kills = 0;
};
