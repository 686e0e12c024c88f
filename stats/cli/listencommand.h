#pragma once

#include "stats/cli/command.h"

/** "--listen": receives the game servers' log stream over UDP and counts it as it comes. */
class ListenCommand final : public Command
{
public:
    ListenCommand();
    Result<> check(const TolvaneRequest &request) const override;
    int execute(const TolvaneRequest &request, const CommandContext &context) const override;
};
