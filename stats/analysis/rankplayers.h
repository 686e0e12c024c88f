// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"

class DataStats;

/// Numbers Place 1..n by descending TotalClass, ties by name; a row whose place does not change
/// is not written, so that an update of a few players costs what their moves cost.
Result<> RankPlayers(DataStats &store);
