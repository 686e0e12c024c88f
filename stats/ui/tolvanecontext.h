// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/analysis/updaterun.h"
#include "stats/store/accesscode.h"

#include <chrono>

class DataStats;
class Dialogs;
class SettingsStore;

/** What every Tolvane window works with; it outlives all of them. */
struct TolvaneContext
{
    DataStats &store;
    SettingsStore &settings;
    Dialogs &dialogs;
    /// How long an update of the windows waits for another program writing to the database.
    std::chrono::milliseconds writerWaitBound = UpdateRun::defaultWaitBound;
    /// What checking an access code set from the windows costs: rounds of the key derivation.
    int accessCodeIterations = AccessCode::Iterations;
};
