#pragma once

#include <QStringList>

#include <chrono>
#include <optional>

class QTextStream;
class SettingsStore;

/**
 * Tolvane without windows, for server operators who run it from cron:
 * "--update [--logs DIR] [--db FILE] [--wait SECONDS]" counts the logs and prints a one-line
 * summary,
 * "--print [--by places|kills] [--db FILE]" prints the ranking as an aligned table.
 */
class TolvaneCommandLine
{
public:
    /// What the windows are started with: nothing, or only --logs DIR and --db FILE.
    struct WindowedStart
    {
        QString logFolder;
        QString database;
    };
    /// The windowed start \a arguments (program name first) ask for, if they ask for one.
    static std::optional<WindowedStart> windowedStart(const QStringList &arguments);

    TolvaneCommandLine(SettingsStore &settings, QTextStream &out, QTextStream &err);

    /// The process exit code: 0 done, 1 the work failed, 2 the command line is wrong, 3 another
    /// update kept the database past the wait bound and nothing was counted.
    int run(const QStringList &arguments);

private:
    int update(const QString &logs, const QString &database, std::chrono::milliseconds waitBound);
    int print(const QString &by, const QString &database);

    SettingsStore &m_settings;
    QTextStream &m_out;
    QTextStream &m_err;
};
