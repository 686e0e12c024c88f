// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "mapmixer/core/randomsource.h"

#include <QList>

/** Draws from a script, counting the re-seeds, so that every exchange can be predicted. */
class ScriptedRandom final : public RandomSource
{
public:
    /// Draws \a draws in turn, then 0.
    explicit ScriptedRandom(QList<double> draws);

    void reseed() override;
    double draw() override;

    int reseeds = 0;
    int draws = 0;

private:
    QList<double> m_draws;
};
