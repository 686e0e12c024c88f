#pragma once

#include "stats/cli/command.h"

/** "--copy-to": copies a database file into an empty PostgreSQL database. */
class CopyToCommand final : public Command
{
public:
    CopyToCommand();
    Result<> check(const TolvaneRequest &request) const override;
    int execute(const TolvaneRequest &request, const CommandContext &context) const override;
};
