// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "bench/scenariokit.h"

#include <QString>
#include <QStringList>

#include <vector>

/** One scenario: its name, and what runs it with the kit every scenario shares. */
struct Scenario
{
    const char *name;
    void (*run)(ScenarioKit &kit);
};

/**
 * The scenarios that measure Tolvane's command line, one file each under bench/scenarios/, each
 * printing its figures and targets. "machines" counts into a PostgreSQL server (BenchPostgres).
 */
namespace Scenarios {

void bigLog(ScenarioKit &kit);
void mixedLog(ScenarioKit &kit);
void import(ScenarioKit &kit);
/// "import" with \a runs timed runs; it leaves the players' database in the kit.
void importPlayers(ScenarioKit &kit, int runs);
void smallUpdate(ScenarioKit &kit);
void print(ScenarioKit &kit);
void grid(ScenarioKit &kit);
void manyFiles(ScenarioKit &kit);
void longLine(ScenarioKit &kit);
void listen(ScenarioKit &kit);
void web(ScenarioKit &kit);
/// The web server under many connections at once, beside the baseline when there is one.
void webLoad(ScenarioKit &kit);
void machines(ScenarioKit &kit);

/// Every scenario, in the order "all" runs them.
const std::vector<Scenario> &all();
QStringList names();
/// The scenario called \a name, in any letter case; nullptr when there is none.
const Scenario *find(const QString &name);

} // namespace Scenarios
