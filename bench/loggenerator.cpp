// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/loggenerator.h"

#include <algorithm>
#include <cstdio>

namespace {

// Letters only, and none holds a word the parser looks for ("killed", "with", "suicide").
constexpr const char *prefixes[] = {"Ace",   "blaze", "Cobra", "dusk",  "Echo",  "Frost",  "Ghost",
                                    "hawk",  "Ion",   "Jinx",  "Kilo",  "lynx",  "Mamba",  "Nova",
                                    "onyx",  "Pixel", "Quake", "Raven", "sable", "Tank",   "Umbra",
                                    "Viper", "Wolf",  "xeno",  "Yeti",  "Zed",   "NoScope"};

// Every word that has a column, two that have none, and the favourites once more.
constexpr const char *weapons[] = {"ak47",    "aug",     "awp",   "deagle", "elite",     "g3sg1",
                                   "glock18", "grenade", "knife", "m249",   "m3",        "m4a1",
                                   "mp5navy", "p228",    "p90",   "scout",  "sg550",     "sg552",
                                   "tmp",     "ump45",   "usp",   "xm1014", "fiveseven", "mac10",
                                   "famas",   "galil",   "ak47",  "m4a1",   "awp",       "deagle"};

constexpr qint64 flushSize = 1 << 20;

} // namespace

LogGenerator::LogGenerator(ExpectedStats &expected, quint32 seed)
    : m_expected(expected), m_random(seed)
{ }

QByteArray LogGenerator::playerName(int player)
{
    constexpr int count = int(sizeof prefixes / sizeof prefixes[0]);
    return QByteArray(prefixes[player % count]) + QByteArray::number(player);
}

bool LogGenerator::open(const QString &path)
{
    m_file.setFileName(path);
    m_failed = !m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (m_failed)
        return false;
    line("L 12/07/2026 - 20:00:00: Log file started (file \"logs/L1207000.log\") (game "
         "\"cstrike\") (version \"48/1.1.2.7/Stdio/6153\")");
    return true;
}

bool LogGenerator::finish(bool closed)
{
    if (closed)
        line("L 12/07/2026 - 23:59:59: Log file closed");
    flush(true);
    m_file.close();
    return !m_failed;
}

void LogGenerator::line(QByteArrayView text)
{
    m_buffer += text;
    m_buffer += '\n';
    m_bytes += text.size() + 1;
    ++m_lines;
    flush(false);
}

void LogGenerator::writeLine(QByteArrayView text, bool malformed)
{
    if (malformed)
        ++m_malformed;
    line(text);
}

void LogGenerator::flush(bool always)
{
    if (m_buffer.isEmpty() || (!always && m_buffer.size() < flushSize))
        return;
    if (m_file.write(m_buffer) != m_buffer.size())
        m_failed = true;
    m_buffer.clear();
}

LogGenerator::Kind LogGenerator::randomKind()
{
    const int roll = int(m_random.bounded(1000));
    if (roll < 700)
        return Kind::Kill;
    if (roll < 730)
        return Kind::Suicide;
    if (roll < 760)
        return Kind::Planted;
    if (roll < 780)
        return Kind::Defused;
    if (roll < 790)
        return Kind::Rescued;
    if (roll < 999)
        return Kind::Chatter;
    return Kind::Malformed;
}

QByteArray LogGenerator::stamp() const
{
    // Twenty lines a second, from 20:00 on.
    const qint64 second = m_lines / 20;
    char text[32];
    std::snprintf(text, sizeof text, "L 12/07/2026 - %02d:%02d:%02d: ", int(20 + second / 3600 % 4),
                  int(second / 60 % 60), int(second % 60));
    return QByteArray(text);
}

QByteArray LogGenerator::spelled(int player, bool counted)
{
    QByteArray name = playerName(player);
    if (counted && m_variantShare > 0 && m_random.generateDouble() < m_variantShare
        && m_expected.contains(name))
        return name.toUpper();
    return name;
}

QByteArray LogGenerator::mention(int player, const QByteArray &name, const char *team) const
{
    return '"' + name + '<' + QByteArray::number(player % 32 + 1)
        + "><STEAM_0:" + QByteArray::number(player % 2) + ':'
        + QByteArray::number(qint64(player) * 37 + 11) + "><" + team + ">\"";
}

void LogGenerator::write(Kind kind, int actor, int victim)
{
    if (kind == Kind::Kill) {
        kill(actor, victim, weapons[m_random.bounded(int(sizeof weapons / sizeof weapons[0]))]);
        return;
    }
    QByteArray text = stamp();
    const QByteArray name = spelled(actor, counts(kind));
    switch (kind) {
    case Kind::Kill:
        break;
    case Kind::Suicide:
        text += mention(actor, name, "CT") + " committed suicide with \"world\"";
        m_expected.suicide(name);
        break;
    case Kind::Planted:
        text += mention(actor, name, "TERRORIST") + " triggered \"Planted_The_Bomb\"";
        m_expected.planted(name);
        break;
    case Kind::Defused:
        text += mention(actor, name, "CT") + " triggered \"Defused_The_Bomb\"";
        m_expected.defused(name);
        break;
    case Kind::Rescued:
        text += mention(actor, name, "CT") + " triggered \"Rescued_A_Hostage\"";
        m_expected.rescued(name);
        break;
    case Kind::Chatter:
        switch (m_random.bounded(4)) {
        case 0:
            text += mention(actor, name, "CT") + " say \"gg wp\"";
            break;
        case 1:
            text += mention(actor, name, "TERRORIST") + " joined team \"CT\"";
            break;
        case 2:
            text += "World triggered \"Round_Start\"";
            break;
        default:
            text += "Team \"CT\" triggered \"CTs_Win\" (CT \"3\") (T \"1\")";
            break;
        }
        break;
    case Kind::Malformed:
        text += "Server say \"no suicide\"";
        ++m_malformed;
        break;
    }
    line(text);
}

void LogGenerator::kill(int killer, int victim, QByteArrayView weapon)
{
    const QByteArray a = spelled(killer, true);
    const QByteArray b = spelled(victim, true);
    line(stamp() + mention(killer, a, "CT") + " killed " + mention(victim, b, "TERRORIST")
         + " with \"" + weapon.toByteArray() + '"');
    m_expected.kill(a, b, weapon);
}

void LogGenerator::longMalformedLine(qint64 bytes)
{
    // "suicide" near both ends and no "<" anywhere: whichever part of it a parser looks at,
    // it cannot cut a player out of it.
    const QByteArray head = "L 12/07/2026 - 21:00:00: Server say \"no suicide ";
    const QByteArray tail = " no suicide\"";
    flush(true);
    m_buffer = head;
    const QByteArray filler = QByteArray("gg wp ").repeated(flushSize / 6);
    qint64 left = bytes - head.size() - tail.size();
    while (left > 0) {
        const qint64 piece = std::min<qint64>(left, filler.size());
        m_buffer += QByteArrayView(filler).first(piece);
        left -= piece;
        flush(true);
    }
    m_buffer += tail;
    m_buffer += '\n';
    m_bytes += std::max(bytes, head.size() + tail.size()) + 1;
    ++m_lines;
    ++m_malformed;
    flush(true);
}
