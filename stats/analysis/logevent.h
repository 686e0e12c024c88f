// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArrayView>

/**
 * One parsed log line: who did something, to whom, with which weapon or objective word. The
 * fields view the bytes of the line (or the parser's own words), so they live as long as it.
 */
struct LogEvent
{
    QByteArrayView Actor;
    QByteArrayView Victim;
    QByteArrayView Weapon;

    bool isEmpty() const { return Actor.isEmpty() && Victim.isEmpty(); }
};
