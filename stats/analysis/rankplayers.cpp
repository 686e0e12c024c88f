// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/analysis/rankplayers.h"

#include "stats/store/datastats.h"

Result<> RankPlayers(DataStats &store)
{
    return store.rankPlayers();
}
