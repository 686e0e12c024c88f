// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mapmixer/tests/scriptedrandom.h"

ScriptedRandom::ScriptedRandom(QList<double> draws) : m_draws(std::move(draws)) { }

void ScriptedRandom::reseed()
{
    ++reseeds;
}

double ScriptedRandom::draw()
{
    ++draws;
    return m_draws.isEmpty() ? 0.0 : m_draws.takeFirst();
}
