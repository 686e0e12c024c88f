#pragma once

#include "platform/cli/commandline.h"
#include "stats/analysis/updaterun.h"
#include "stats/listener/endpoint.h"
#include "stats/listener/loglistener.h"
#include "stats/listener/senderpolicy.h"
#include "stats/store/datastats.h"

#include <QHostAddress>
#include <QStringList>

#include <chrono>

class Command;
class QTextStream;
class SettingsStore;

/** What Tolvane's command line asks for, each value read and checked once. */
struct TolvaneRequest
{
    CommandLine::Ask ask = CommandLine::Ask::Run;
    const Command *command = nullptr; ///< the action; none for the windows
    QString logFolder; ///< --logs; empty for the stored one
    QString database; ///< --db; empty for the stored one
    QString host; ///< --host; empty for the stored one
    QString copyTo; ///< --copy-to
    DataStats::Ranking order = DataStats::Ranking::Places; ///< --by
    std::chrono::seconds wait = UpdateRun::defaultWaitBound; ///< --wait
    Endpoint listen; ///< --listen
    SenderPolicy allow; ///< --allow
    std::chrono::seconds interval = LogListener::defaultInterval; ///< --interval
    qint64 keepFreeMiB = LogListener::defaultKeepFreeMiB; ///< --keep-free
    Endpoint serve {QHostAddress(QHostAddress::LocalHost)}; ///< --serve
    QString htmlFolder; ///< --html
};

/** What a command works with: the settings it reads and keeps, and where it reports. */
struct CommandContext
{
    SettingsStore &settings;
    QTextStream &out;
    QTextStream &err;
};

/**
 * One action of Tolvane's command line, one class each: the option that asks for it, the
 * options it takes besides (its part of the table TolvaneCommandLine reads), what it checks in
 * them together, and the work.
 */
class Command
{
public:
    /// \a name: "update" for --update.
    Command(QString name, QStringList options);
    virtual ~Command() = default;

    const QString &name() const { return m_name; }
    const QStringList &options() const { return m_options; }

    /// What is wrong in \a request beyond the value of each option alone.
    virtual Result<> check(const TolvaneRequest &request) const;
    /// Carries out \a request: the exit status.
    virtual int execute(const TolvaneRequest &request, const CommandContext &context) const = 0;

protected:
    /// Says why the work failed: exit status \a status.
    static int failed(const CommandContext &context, const QString &reason, int status = 1);
    /// The database \a request names, else the stored one.
    static QString database(const TolvaneRequest &request, const CommandContext &context);
    /// A database as people are shown it: a file in the system's own form, an address without
    /// its password.
    static QString shownDatabase(const QString &database);

private:
    QString m_name;
    QStringList m_options;
};
