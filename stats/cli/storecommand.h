#pragma once

#include "stats/cli/command.h"

/** "--store": keeps a log folder, a database and a host for the runs that follow. */
class StoreCommand final : public Command
{
public:
    StoreCommand();
    Result<> check(const TolvaneRequest &request) const override;
    int execute(const TolvaneRequest &request, const CommandContext &context) const override;
};
