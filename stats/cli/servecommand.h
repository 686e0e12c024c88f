#pragma once

#include "stats/cli/command.h"

/** "--serve": serves the ranking as web pages, read-only, until the process is ended. */
class ServeCommand final : public Command
{
public:
    ServeCommand();
    int execute(const TolvaneRequest &request, const CommandContext &context) const override;
};
