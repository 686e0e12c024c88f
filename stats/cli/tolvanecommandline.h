#pragma once

#include "stats/cli/command.h"

#include <QStringList>

class QTextStream;
class SettingsStore;

/**
 * Tolvane's command line, read by one parser whether it opens the windows or not:
 * "[--logs DIR] [--db FILE] [--host ID]" opens the ranking window, and each action, a Command of
 * its own, works without windows: --update, --print, --store, --copy-to, --listen, --serve and
 * --html (the usage says what each does and takes). Each command names the options it takes;
 * each option's value is read and checked here, once, whichever command takes it.
 * The database is a file or a postgresql:// address; several machines that count into one
 * database tell their logs apart by their host.
 */
class TolvaneCommandLine
{
public:
    /// How Tolvane reads, answers and refuses a command line.
    static const CommandLine &syntax();
    /// Reads \a arguments, the words after the program's name.
    static Result<TolvaneRequest> parse(const QStringList &arguments);

    TolvaneCommandLine(SettingsStore &settings, QTextStream &out, QTextStream &err);

    /// Carries out a request without windows; the process exit code: 0 done, 1 the work failed,
    /// 2 the command line is wrong (a request for the windows among them), 3 another update kept
    /// the database past the wait bound and nothing was counted. --serve answers requests until
    /// the process is ended.
    int run(const Result<TolvaneRequest> &request);

private:
    CommandContext m_context;
};
