#pragma once

#include "stats/cli/command.h"

/** "--html": writes the first pages of the ranking as static files. */
class HtmlCommand final : public Command
{
public:
    HtmlCommand();
    int execute(const TolvaneRequest &request, const CommandContext &context) const override;
};
