#pragma once

#include "stats/cli/command.h"

/** "--print": the ranking as an aligned table, written row by row as it is read. */
class PrintCommand final : public Command
{
public:
    PrintCommand();
    int execute(const TolvaneRequest &request, const CommandContext &context) const override;
};
