#pragma once

#include "stats/cli/command.h"

/** "--update": counts the logs of the log folder and prints a one-line summary. */
class UpdateCommand final : public Command
{
public:
    UpdateCommand();
    int execute(const TolvaneRequest &request, const CommandContext &context) const override;
};
