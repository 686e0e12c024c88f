// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/core/quorrelcommandline.h"

const CommandLine &QuorrelCommandLine::syntax()
{
    static const CommandLine syntax(
        QStringLiteral("quorrel"),
        QStringLiteral("Usage: quorrel MOD        the configuration manager for the mod MOD\n"
                       "                          (all arguments together, blanks included)\n"
                       "       quorrel -- MOD     the same, for a MOD that starts with --\n"
                       "       quorrel --help     show this text\n"
                       "       quorrel --version  show the version\n"),
        {}, CommandLine::Words::Text);
    return syntax;
}

Result<QuorrelCommandLine> QuorrelCommandLine::parse(const QStringList &arguments)
{
    // A mistyped option is refused rather than registered as a mod named after it.
    const Result<CommandLine::Read> read = syntax().read(arguments);
    if (!read)
        return Result<QuorrelCommandLine>::failure(read.failure());
    QuorrelCommandLine line;
    line.ask = read->ask;
    if (line.ask == CommandLine::Ask::Run)
        line.modName = read->text.join(QLatin1Char(' '));
    return line;
}
