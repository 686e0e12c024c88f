#pragma once

#include "stats/cli/tolvanerequest.h"

#include <QStringList>

class QTextStream;
class SettingsStore;

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
    Command(TolvaneRequest::Action action, QString name, QStringList options);
    virtual ~Command() = default;

    TolvaneRequest::Action action() const { return m_action; }
    /// "update" for --update.
    const QString &name() const { return m_name; }
    /// The other options it takes, by name.
    const QStringList &options() const { return m_options; }

    /// What is wrong in \a request beyond the value of each option alone.
    virtual Result<> check(const TolvaneRequest &request) const;
    /// Carries out \a request: the exit status.
    virtual int execute(const TolvaneRequest &request, const CommandContext &context) const = 0;

protected:
    /// Says why the work failed: exit status 1.
    static int failed(const CommandContext &context, const QString &reason);
    /// The database \a request names, else the stored one.
    static QString database(const TolvaneRequest &request, const CommandContext &context);
    /// A database as people are shown it: a file in the system's own form, an address without
    /// its password.
    static QString shownDatabase(const QString &database);

private:
    TolvaneRequest::Action m_action;
    QString m_name;
    QStringList m_options;
};
