#pragma once

#include "platform/cli/commandline.h"

#include <QString>

/**
 * Quorrel's command line: the words that are no option, all together, are the mod name, blanks
 * included. "--" in front of the name lets a mod's name start with dashes.
 */
class QuorrelCommandLine
{
public:
    /// How Quorrel reads, answers and refuses a command line.
    static const CommandLine &syntax();
    /// \a arguments without the program's own name; fails with what is wrong in them.
    static Result<QuorrelCommandLine> parse(const QStringList &arguments);

    CommandLine::Ask ask = CommandLine::Ask::Run;
    QString modName;
};
