// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/cli/command.h"

/**
 * "--print": the ranking as an aligned table, written row by row as it is read; by default the
 * place, the name, the kills, the deaths and the score, in at most lineWidth columns; every
 * counter, under the keys of the web pages' JSON, with "--wide".
 */
class PrintCommand final : public Command
{
public:
    static constexpr qsizetype lineWidth = 100;

    PrintCommand();
    int execute(const TolvaneRequest &request, const CommandContext &context) const override;
};
