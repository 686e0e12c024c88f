// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/busyserverlog.h"

#include <QStringDecoder>

#include <algorithm>
#include <iterator>

namespace {

// No name holds a word the parser looks for ("killed", "with", "suicide", the objectives), a
// "(" or a leading "[P"; every name ends in the player's number, so no two fold alike.
constexpr const char *asciiNames[] = {
    "Ace",   "blaze", "Cobra",   "dusk",    "Echo",       "Frost",        "Ghost",     "hawk",
    "Ion",   "Jinx",  "Mamba",   "Nova",    "onyx",       "Pixel",        "Quake",     "Raven",
    "sable", "Tank",  "Umbra",   "Viper",   "Wolf",       "xeno",         "Yeti",      "Zed",
    "Kilo",  "lynx",  "NoScope", "O'Brien", "D'Artagnan", "xX_Sniper_Xx", "HeadHunter"};
// Letters of Windows-1252 only, never two in a row outside ASCII: written in Windows-1252 such
// a name is never valid UTF-8, so that it is read as the old client wrote it.
constexpr const char *accentedNames[] = {
    "Zoë",    "José", "Jérôme", "Søren",  "Björn", "Noël",  "Inès", "Françoise", "Åsa",
    "Müller", "Peña", "Amélie", "Hélène", "Ørjan", "Iñaki", "Ümit", "Gaëlle",    "Rémi"};
constexpr const char *greekNames[] = {"Ελένη",    "Νίκος",    "Αλέξανδρος", "Γιώργος", "Σοφία",
                                      "Δημήτρης", "Κατερίνα", "Μαρία",      "Θανάσης", "Φώτης"};
constexpr const char *cyrillicNames[] = {"Дмитрий", "Наталья", "Сергей", "Ольга", "Алексей",
                                         "Иван",    "Татьяна", "Юрий",   "Ёлка",  "Пётр"};
constexpr const char *botNames[] = {"Sandman", "Zeus",   "Blitz",  "Crusher",
                                    "Gunner",  "Hunter", "Shadow", "Tornado"};
constexpr const char *clans[] = {"FR", "GR", "RU", "clan", "x"};

// Weighted as a public server's day: rifles and the AWP first; "famas" and "galil" raise no
// weapon column.
constexpr const char *weapons[] = {
    "ak47",      "ak47",   "ak47", "m4a1",    "m4a1",  "m4a1",    "awp",    "awp",
    "deagle",    "deagle", "usp",  "glock18", "knife", "grenade", "famas",  "galil",
    "mp5navy",   "p90",    "aug",  "sg552",   "scout", "m3",      "xm1014", "elite",
    "fiveseven", "p228",   "tmp",  "mac10",   "ump45", "m249",    "g3sg1",  "sg550"};

// Chat never holds an event word: the parser would take it for the event.
constexpr const char *chat[] = {
    "gg",           "gg wp",         "rush B",   "dont camp",    "don't camp",    "nice shot",
    "lol",          "who's AWPing?", "не кемпи", "хорошая игра", "καλό παιχνίδι", "έλα ρε",
    "merci à tous", "¿alguien?",     "ns"};
constexpr const char *teamEvents[] = {"Got_The_Bomb",
                                      "Spawned_With_The_Bomb",
                                      "Dropped_The_Bomb",
                                      "Begin_Bomb_Defuse_With_Kit",
                                      "Begin_Bomb_Defuse_Without_Kit",
                                      "Touched_A_Hostage",
                                      "Killed_A_Hostage"};
constexpr const char *worldLines[] = {
    "World triggered \"Round_Start\"",
    "World triggered \"Round_End\"",
    "World triggered \"Game_Commencing\"",
    "Team \"CT\" triggered \"CTs_Win\" (CT \"3\") (T \"1\")",
    "Team \"TERRORIST\" triggered \"Target_Bombed\" (CT \"3\") (T \"2\")",
    "Team \"CT\" scored \"7\" with \"5\" players",
    "Loading map \"de_dust2\"",
    "Started map \"de_dust2\" (CRC \"-1534574098\")",
    "Server cvars start",
    "Server cvar \"mp_friendlyfire\" = \"0\"",
    "Server cvars end"};
// Lines a server or an admin tool writes that hold an event word and no player to cut.
constexpr const char *uncuttable[] = {
    "Server say \"no suicide\"", "Server say \"Planted_The_Bomb = +3 frags\"",
    "Rcon: \"rcon 4711 say Defused_The_Bomb\" from \"10.0.0.5:27005\""};

template<typename T, std::size_t N>
constexpr int countOf(const T (&)[N])
{
    return int(N);
}

QByteArray withoutApostrophes(QByteArray name)
{
    return name.replace('\'', QByteArray());
}

bool isUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

} // namespace

BusyServerLog::BusyServerLog(ExpectedStats &expected, int players, quint32 seed)
    : m_expected(expected), m_log(expected, seed)
{
    QRandomGenerator &random = m_log.random();
    m_players.reserve(std::size_t(players));
    for (int i = 0; i < players; ++i) {
        Player player;
        const int roll = int(random.bounded(100));
        const char *base;
        if (roll < 65) {
            player.script = Script::Ascii;
            base = asciiNames[i % countOf(asciiNames)];
        } else if (roll < 75) {
            player.script = Script::Accented;
            base = accentedNames[i % countOf(accentedNames)];
        } else if (roll < 83) {
            player.script = Script::Greek;
            base = greekNames[i % countOf(greekNames)];
        } else if (roll < 91) {
            player.script = Script::Cyrillic;
            base = cyrillicNames[i % countOf(cyrillicNames)];
        } else {
            player.script = Script::Bot;
            base = botNames[i % countOf(botNames)];
        }
        const QString name = QString::fromUtf8(base) + QString::number(i);
        const QString cases[3] = {name, name.toUpper(), name.toLower()};
        for (int c = 0; c < 3; ++c) {
            player.utf8[c] = cases[c].toUtf8();
            if (player.script == Script::Accented) {
                player.windows1252[c] = cases[c].toLatin1();
                Q_ASSERT(!isUtf8(player.windows1252[c]));
            }
        }
        player.id = player.script == Script::Bot
            ? '<' + QByteArray::number(i % 500 + 1) + "><BOT>"
            : '<' + QByteArray::number(i % 500 + 1) + "><STEAM_0:" + QByteArray::number(i % 2) + ':'
                + QByteArray::number(qint64(i) * 37 + 11) + '>';
        m_players.push_back(std::move(player));
    }
}

int BusyServerLog::pick()
{
    // A few regulars play most of the day.
    const double u = m_log.random().generateDouble();
    return std::min(int(double(m_players.size()) * u * u), int(m_players.size()) - 1);
}

BusyServerLog::Mention BusyServerLog::mention(int index)
{
    const Player &player = m_players[std::size_t(index)];
    QRandomGenerator &random = m_log.random();
    const int roll = int(random.bounded(100));
    const int c = player.script == Script::Bot ? 0 : roll < 80 ? 0 : roll < 90 ? 1 : 2;
    const bool oldClient = player.script == Script::Accented && random.bounded(4) == 0;
    Mention m;
    m.spelling = withoutApostrophes(player.utf8[c]);
    const QByteArray &name = oldClient ? player.windows1252[c] : player.utf8[c];
    const int tag = int(random.bounded(100));
    if (player.script == Script::Bot || tag < 2)
        m.written = "[POD]" + name;
    else if (tag < 7)
        m.written = "(1)" + name;
    else if (tag < 12)
        m.written = name + " (" + clans[random.bounded(countOf(clans))] + ')';
    else
        m.written = name;
    return m;
}

QByteArray BusyServerLog::quoted(int player, const QByteArray &written, const char *team) const
{
    return '"' + written + m_players[std::size_t(player)].id + '<' + team + ">\"";
}

QByteArray BusyServerLog::quoted(int player, const char *team)
{
    return quoted(player, mention(player).written, team);
}

bool BusyServerLog::write(const QString &path, qint64 lines)
{
    if (!m_log.open(path))
        return false;
    while (m_log.lines() < lines - 1) {
        const int roll = int(m_log.random().bounded(1000));
        if (roll < 500)
            kill();
        else if (roll < 520)
            counted(roll - 500);
        else if (roll < 990)
            chatter(roll - 520);
        else
            malformed();
    }
    return m_log.finish();
}

void BusyServerLog::kill()
{
    const int killer = pick();
    int victim = pick();
    while (victim == killer)
        victim = pick();
    const Mention a = mention(killer);
    const Mention b = mention(victim);
    const char *weapon = weapons[m_log.random().bounded(countOf(weapons))];
    // One kill in fifty is a team mate's.
    const bool ct = m_log.random().bounded(2) == 0;
    const bool mate = m_log.random().bounded(50) == 0;
    const char *killerTeam = ct ? "CT" : "TERRORIST";
    const char *victimTeam = ct != mate ? "TERRORIST" : "CT";
    m_log.writeLine(m_log.stamp() + quoted(killer, a.written, killerTeam) + " killed "
                    + quoted(victim, b.written, victimTeam) + " with \"" + weapon + '"');
    m_expected.kill(a.spelling, b.spelling, weapon);
    m_written.insert(a.written);
    m_written.insert(b.written);
    ++m_kills;
}

void BusyServerLog::counted(int roll)
{
    // Per mille of all lines: 10 suicides, 5 bombs planted, 3 defused, 2 hostages rescued.
    const int player = pick();
    const Mention m = mention(player);
    QByteArray text = m_log.stamp();
    if (roll < 10) {
        text += quoted(player, m.written, "CT") + " committed suicide with \"worldspawn\"";
        m_expected.suicide(m.spelling);
    } else if (roll < 15) {
        text += quoted(player, m.written, "TERRORIST") + " triggered \"Planted_The_Bomb\"";
        m_expected.planted(m.spelling);
    } else if (roll < 18) {
        text += quoted(player, m.written, "CT") + " triggered \"Defused_The_Bomb\"";
        m_expected.defused(m.spelling);
    } else {
        text += quoted(player, m.written, "CT") + " triggered \"Rescued_A_Hostage\"";
        m_expected.rescued(m.spelling);
    }
    m_written.insert(m.written);
    m_log.writeLine(text);
}

void BusyServerLog::chatter(int roll)
{
    // Per mille of all lines: 140 chat, 120 team lines, 100 world lines, 110 connections.
    QRandomGenerator &random = m_log.random();
    const int player = pick();
    const char *team = random.bounded(2) == 0 ? "CT" : "TERRORIST";
    QByteArray text = m_log.stamp();
    if (roll < 140) {
        text += quoted(player, team) + (random.bounded(3) == 0 ? " say_team \"" : " say \"")
            + chat[random.bounded(countOf(chat))] + '"';
        if (random.bounded(5) == 0)
            text += " (dead)";
    } else if (roll < 260) {
        if (random.bounded(2) == 0)
            text += quoted(player, "") + " joined team \"" + team + '"';
        else
            text += quoted(player, team) + " triggered \""
                + teamEvents[random.bounded(countOf(teamEvents))] + '"';
    } else if (roll < 360) {
        text += worldLines[random.bounded(countOf(worldLines))];
    } else {
        switch (random.bounded(5)) {
        case 0:
            text += quoted(player, "") + " connected, address \"10.0."
                + QByteArray::number(player % 250) + '.' + QByteArray::number(player % 200 + 2)
                + ":27005\"";
            break;
        case 1:
            text += quoted(player, "") + " STEAM USERID validated";
            break;
        case 2:
            text += quoted(player, "") + " entered the game";
            break;
        case 3:
            text += quoted(player, team) + " disconnected";
            break;
        default:
            text += quoted(player, team) + " changed name to \"" + mention(player).written + '"';
            break;
        }
    }
    m_log.writeLine(text);
}

void BusyServerLog::malformed()
{
    QRandomGenerator &random = m_log.random();
    const int roll = int(random.bounded(10));
    if (roll < 4) {
        // A kill cut short inside its weapon word, as when a server dies mid-write: no closing
        // quote to end the weapon.
        const int killer = pick();
        const int victim = pick();
        const QByteArray weapon = weapons[random.bounded(countOf(weapons))];
        m_log.writeLine(m_log.stamp() + quoted(killer, "CT") + " killed "
                            + quoted(victim, "TERRORIST") + " with \""
                            + weapon.first(random.bounded(int(weapon.size()))),
                        true);
    } else if (roll < 6) {
        m_log.writeLine(m_log.stamp() + uncuttable[random.bounded(countOf(uncuttable))], true);
    } else {
        // A connection cut inside the name, perhaps inside a character: no event word, ignored.
        const QByteArray line = m_log.stamp() + quoted(pick(), "") + " connected";
        m_log.writeLine(line.first(m_log.stamp().size() + 1 + random.bounded(6)));
    }
}
