#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Writes the sample server logs that `make run` counts: three evenings of a small
Counter-Strike 1.6 server, in the dedicated server's own line format."""
import random
import sys
from pathlib import Path

PLAYERS = [
    ("Heather_Graham", "BOT"), ("L33t B0t", "BOT"), ("Polymorph", "BOT"),
    ("[PRO]Vantrel", "STEAM_0:1:4521877"), ("Élodie", "STEAM_0:0:8812003"),
    ("Дуст", "STEAM_0:1:1209944"), ("(1)Marcel", "STEAM_0:0:3300561"),
    ("O'Brien", "STEAM_0:1:7714002"), ("Zap! (2)", "BOT"), ("Make my Day", "BOT"),
]
WEAPONS = ["ak47", "m4a1", "awp", "deagle", "usp", "glock18", "knife", "grenade", "mp5navy",
           "famas", "galil", "p90", "scout", "m3", "aug", "sg552", "elite", "fiveseven"]
CHAT = ["gg", "nice shot", "who killed me?", "rush B", "no suicide please", "wp"]


def evening(day, seed, closed=True, encoding="utf-8"):
    rnd = random.Random(seed)
    clock = [20 * 3600]
    uid = {name: i + 2 for i, (name, _) in enumerate(PLAYERS)}
    team = {name: ("CT" if i % 2 else "TERRORIST") for i, (name, _) in enumerate(PLAYERS)}

    def stamp():
        clock[0] += rnd.randint(1, 9)
        t = clock[0]
        return f"L 12/{day:02d}/2026 - {t // 3600:02d}:{t // 60 % 60:02d}:{t % 60:02d}: "

    def who(name):
        sid = dict(PLAYERS)[name]
        return f'"{name}<{uid[name]}><{sid}><{team[name]}>"'

    lines = [stamp() + f'Log file started (file "logs/L12{day:02d}000.log") (game "cstrike") '
             '(version "48/1.1.2.7/Stdio/6153")',
             stamp() + 'Loading map "de_dust2"']
    names = [n for n, _ in PLAYERS]
    for name in names:
        lines.append(stamp() + f'"{name}<{uid[name]}><{dict(PLAYERS)[name]}><>" entered the game')
        lines.append(stamp() + f'{who(name)[:-len(team[name]) - 3]}<>" joined team "{team[name]}"')
    for _ in range(rnd.randint(150, 220)):
        a, b = rnd.sample(names, 2)
        roll = rnd.random()
        if roll < 0.62:
            lines.append(stamp() + f'{who(a)} killed {who(b)} with "{rnd.choice(WEAPONS)}"')
        elif roll < 0.67:
            lines.append(stamp() + f'{who(a)} committed suicide with "world"')
        elif roll < 0.70:
            lines.append(stamp() + f'{who(a)} committed suicide with "grenade"')
        elif roll < 0.75:
            lines.append(stamp() + f'{who(a)} triggered "Planted_The_Bomb"')
        elif roll < 0.79:
            lines.append(stamp() + f'{who(a)} triggered "Defused_The_Bomb"')
        elif roll < 0.82:
            lines.append(stamp() + f'{who(a)} triggered "Rescued_A_Hostage"')
        elif roll < 0.92:
            lines.append(stamp() + f'{who(a)} say "{rnd.choice(CHAT)}"')
        elif roll < 0.95:
            old = team[a]
            team[a] = "CT" if old == "TERRORIST" else "TERRORIST"
            lines.append(stamp() + f'"{a}<{uid[a]}><{dict(PLAYERS)[a]}><{old}>" joined team "{team[a]}"')
        else:
            lines.append(stamp() + 'World triggered "Round_End"')
            lines.append(stamp() + 'Team "CT" triggered "CTs_Win" (CT "3") (T "2")')
    if closed:
        lines.append(stamp() + "Log file closed")
    text = "\n".join(lines) + "\n"
    return text.encode(encoding)


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "samples/logs")
    out.mkdir(parents=True, exist_ok=True)
    (out / "L1205000.log").write_bytes(evening(5, 1))
    # An older server that wrote names in the Windows code page, with CR LF line ends.
    (out / "L1206000.log").write_bytes(evening_cp1252(6, 2))
    # Tonight's log: the server is still writing it, so it is counted and kept.
    (out / "L1207000.log").write_bytes(evening(7, 3, closed=False))


def evening_cp1252(day, seed):
    text = evening(day, seed).decode("utf-8").replace("Дуст", "Dust")
    return text.replace("\n", "\r\n").encode("cp1252")


if __name__ == "__main__":
    main()
