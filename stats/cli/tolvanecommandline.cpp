// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/cli/tolvanecommandline.h"

#include "stats/cli/copytocommand.h"
#include "stats/cli/htmlcommand.h"
#include "stats/cli/listencommand.h"
#include "stats/cli/printcommand.h"
#include "stats/cli/servecommand.h"
#include "stats/cli/storecommand.h"
#include "stats/cli/updatecommand.h"
#include "stats/store/postgresaddress.h"

#include <QTextStream>

#include <array>
#include <functional>

namespace {

const char *usage =
    "Usage: tolvane [--logs DIR] [--db FILE] [--host ID]   open the ranking window\n"
    "       tolvane --update [--logs DIR] [--db FILE] [--host ID] [--wait SECONDS]\n"
    "       tolvane --print [--by places|kills] [--wide] [--db FILE]\n"
    "       tolvane --store [--logs DIR] [--db FILE] [--host ID]\n"
    "       tolvane --copy-to URI [--db FILE] [--host ID]\n"
    "       tolvane --listen [ADDRESS:]PORT --allow ADDRESS[:PORT][/SECRET]...\n"
    "               [--interval SECONDS] [--keep-free MIB] [--logs DIR] [--db FILE]\n"
    "               [--host ID]\n"
    "       tolvane --serve [ADDRESS:]PORT [--db FILE]\n"
    "       tolvane --html DIR [--db FILE]\n"
    "\n"
    "  --update      count every L*.log file of the log folder into the\n"
    "                statistics, delete the finished files, rank the players\n"
    "  --print       print the ranking as a table (by places unless --by kills):\n"
    "                place, name, kills, deaths and score in 100 columns\n"
    "  --wide        with --print, every counter, under the keys of the JSON\n"
    "                of the web pages\n"
    "  --store       keep the log folder, the database and the host given for\n"
    "                the runs that follow, such as the timer's\n"
    "  --copy-to URI  copy the statistics of a database file into an empty\n"
    "                PostgreSQL database, postgresql://[user@]host[:port]/name\n"
    "  --listen [ADDRESS:]PORT  receive the log lines game servers send over\n"
    "                UDP (log on; logaddress_add on the server) and count them\n"
    "                every --interval seconds (default 60); port 0 takes a\n"
    "                free one\n"
    "  --allow ADDRESS[:PORT][/SECRET]  a game server --listen accepts, with the\n"
    "                sv_logsecret it must send; one at least (on this machine:\n"
    "                --allow 127.0.0.1/SECRET)\n"
    "  --keep-free MIB  with --listen, drop lines rather than leave less than MIB\n"
    "                MiB free on the spool folder's disk (default 256; 0: none)\n"
    "  --serve [ADDRESS:]PORT  serve the ranking as web pages, read-only, on\n"
    "                PORT of ADDRESS (default 127.0.0.1; [::1] for IPv6);\n"
    "                port 0 takes a free port; the address is printed\n"
    "  --html DIR    write the first pages of both orders and the pages of the\n"
    "                best players into DIR, replacing its previous set at once\n"
    "  --logs DIR    log folder for this run (default: the stored one); for\n"
    "                --listen, the folder its spool files go to (default:\n"
    "                Spool in the user's data folder)\n"
    "  --db FILE     database for this run (default: the stored one, else\n"
    "                Stats.db in the user's data folder): a file, or a\n"
    "                PostgreSQL database that several machines share,\n"
    "                postgresql://[user@]host[:port]/name (the password from\n"
    "                PGPASSWORD or ~/.pgpass, never on the command line)\n"
    "  --host ID     the name of this machine in the shared database's record\n"
    "                of its logs (default: the stored one, else its machine id)\n"
    "  --wait SECONDS  how long --update waits for another update of the same\n"
    "                database to finish (default 300); past it, exit status 3\n"
    "  --help        show this text\n"
    "  --version     show the version\n";

using Request = TolvaneRequest;

Result<> wrong(const QString &why)
{
    return Result<>::failure(why);
}

/// Gives \a take the last of \a values, a whole number of at least \a least, or says why not.
Result<> number(const QStringList &values, qint64 least, const QString &why,
                const std::function<void(qint64)> &take)
{
    bool valid = false;
    const qint64 n = values.constLast().toLongLong(&valid);
    if (!valid || n < least)
        return wrong(why.arg(values.constLast()));
    take(n);
    return {};
}

// Every user of the machine can read a command line (ps, systemctl show): a password in it would
// be readable as long as the process runs.
Result<> withoutPassword(const QString &option, const QString &value)
{
    if (!PostgresAddress::holdsPassword(value))
        return {};
    return wrong(QStringLiteral("%1 %2: a password on the command line can be read by every user "
                                "of this machine; give the address without it, and the password "
                                "in ~/.pgpass (host:port:database:user:password, mode 600) or in "
                                "PGPASSWORD")
                     .arg(option, PostgresAddress::withoutPassword(value)));
}

Result<> endpoint(const QString &option, const QString &text, Endpoint &into)
{
    const Result<Endpoint> read = Endpoint::parseListen(text);
    if (!read)
        return wrong(QStringLiteral("%1 %2: %3").arg(option, text, read.reason()));
    into.port = read->port;
    if (!read->address.isNull())
        into.address = read->address;
    return {};
}

Result<> folder(const QString &option, const QStringList &values, QString &into)
{
    into = values.constLast();
    return into.isEmpty() ? wrong(QStringLiteral("%1 takes a folder").arg(option)) : Result<>();
}

/** One option of the command line: its name, its value, and how that value is read. */
struct OptionRule
{
    const char *name;
    const char *valueName; ///< nullptr for an option that takes no value
    Result<> (*take)(const QStringList &values, Request &request);
};

// Every option once, whichever commands take it; the actions first.
const std::array rules {
    OptionRule {"update", nullptr, nullptr},
    OptionRule {"print", nullptr, nullptr},
    OptionRule {"store", nullptr, nullptr},
    OptionRule {"copy-to", "URI",
                [](const QStringList &values, Request &request) {
                    request.copyTo = values.constLast();
                    if (const Result<> hidden =
                            withoutPassword(QStringLiteral("--copy-to"), request.copyTo);
                        !hidden)
                        return hidden;
                    if (!PostgresAddress::isPostgres(request.copyTo))
                        return wrong(QStringLiteral("--copy-to takes a postgresql:// address, "
                                                    "not %1")
                                         .arg(request.copyTo));
                    return Result<>();
                }},
    OptionRule {"listen", "[ADDRESS:]PORT",
                [](const QStringList &values, Request &request) {
                    return endpoint(QStringLiteral("--listen"), values.constLast(), request.listen);
                }},
    OptionRule {"serve", "[ADDRESS:]PORT",
                [](const QStringList &values, Request &request) {
                    return endpoint(QStringLiteral("--serve"), values.constLast(), request.serve);
                }},
    OptionRule {"html", "DIR",
                [](const QStringList &values, Request &request) {
                    return folder(QStringLiteral("--html"), values, request.htmlFolder);
                }},
    OptionRule {"logs", "DIR",
                [](const QStringList &values, Request &request) {
                    return folder(QStringLiteral("--logs"), values, request.logFolder);
                }},
    OptionRule {"db", "FILE",
                [](const QStringList &values, Request &request) {
                    request.database = values.constLast();
                    if (request.database.isEmpty())
                        return wrong(QStringLiteral(
                            "--db takes a database file or a postgresql:// address"));
                    // Of the addresses only PostgreSQL's name a database; any other must not
                    // become a folder named "mysql:".
                    if (!DataStats::isSupported(request.database))
                        return wrong(QStringLiteral("--db takes a database file or a "
                                                    "postgresql:// address; %1 is another kind "
                                                    "of address")
                                         .arg(PostgresAddress::withoutPassword(request.database)));
                    return withoutPassword(QStringLiteral("--db"), request.database);
                }},
    OptionRule {"host", "ID",
                [](const QStringList &values, Request &request) {
                    request.host = values.constLast();
                    return request.host.trimmed().isEmpty()
                        ? wrong(QStringLiteral("--host takes a name for this machine"))
                        : Result<>();
                }},
    OptionRule {
        "by", "ORDER",
        [](const QStringList &values, Request &request) {
            const QString order = values.constLast().toLower();
            if (order != QLatin1String("places") && order != QLatin1String("kills"))
                return wrong(
                    QStringLiteral("--by takes places or kills, not %1").arg(values.constLast()));
            request.order = order == QLatin1String("kills") ? DataStats::Ranking::Kills
                                                            : DataStats::Ranking::Places;
            return Result<>();
        }},
    OptionRule {"wide", nullptr,
                [](const QStringList &, Request &request) {
                    request.wide = true;
                    return Result<>();
                }},
    OptionRule {"wait", "SECONDS",
                [](const QStringList &values, Request &request) {
                    return number(values, 0,
                                  QStringLiteral("--wait takes a number of seconds, not %1"),
                                  [&request](qint64 n) { request.wait = std::chrono::seconds(n); });
                }},
    OptionRule {"allow", "SENDER",
                [](const QStringList &values, Request &request) {
                    const Result<SenderPolicy> policy = SenderPolicy::fromArguments(values);
                    if (!policy)
                        return wrong(policy.reason());
                    request.allow = *policy;
                    return Result<>();
                }},
    OptionRule {"interval", "SECONDS",
                [](const QStringList &values, Request &request) {
                    return number(
                        values, 1,
                        QStringLiteral("--interval takes a number of seconds, at least 1, not %1"),
                        [&request](qint64 n) { request.interval = std::chrono::seconds(n); });
                }},
    OptionRule {"keep-free", "MIB",
                [](const QStringList &values, Request &request) {
                    return number(
                        values, 0,
                        QStringLiteral("--keep-free takes a number of MiB, 0 or more, not %1"),
                        [&request](qint64 n) { request.keepFreeMiB = n; });
                }},
};

// The windows take a folder, a database and a host, and nothing else.
const QStringList windowsOptions {QStringLiteral("logs"), QStringLiteral("db"),
                                  QStringLiteral("host")};

const std::array<const Command *, 7> &commands()
{
    static const UpdateCommand update;
    static const PrintCommand print;
    static const StoreCommand store;
    static const CopyToCommand copyTo;
    static const ListenCommand listen;
    static const ServeCommand serve;
    static const HtmlCommand html;
    static const std::array<const Command *, 7> all {&update, &print, &store, &copyTo,
                                                     &listen, &serve, &html};
    return all;
}

/// "--a, --b and --c".
QString listed(const QStringList &names)
{
    QStringList options;
    for (const QString &name : names)
        options << QStringLiteral("--") + name;
    const QString last = options.takeLast();
    return options.isEmpty() ? last : options.join(QLatin1String(", ")) + " and " + last;
}

QString neitherAction()
{
    QStringList names;
    for (const Command *command : commands())
        names << command->name();
    return QStringLiteral("give one of ") + listed(names);
}

/// Why \a option is out of place with \a command (nullptr: the windows).
QString goesWith(const QString &option, const Command *command)
{
    QStringList takers;
    for (const Command *taker : commands()) {
        if (taker->options().contains(option))
            takers << taker->name();
    }
    QString why = QStringLiteral("--%1 goes with %2").arg(option, listed(takers));
    if (command)
        why +=
            QStringLiteral("; --%1 takes %2 only").arg(command->name(), listed(command->options()));
    return why;
}

} // namespace

const CommandLine &TolvaneCommandLine::syntax()
{
    static const CommandLine syntax = [] {
        QList<CommandLine::Option> options;
        for (const OptionRule &rule : rules)
            options << CommandLine::Option {QLatin1String(rule.name),
                                            QLatin1String(rule.valueName)};
        return CommandLine(QStringLiteral("tolvane"), QLatin1String(usage), options,
                           CommandLine::Words::Options);
    }();
    return syntax;
}

Result<TolvaneRequest> TolvaneCommandLine::parse(const QStringList &arguments)
{
    using Failure = Result<TolvaneRequest>;
    const Result<CommandLine::Read> read = syntax().read(arguments);
    if (!read)
        return Failure::failure(read.failure());
    TolvaneRequest request;
    request.ask = read->ask;
    if (request.ask != CommandLine::Ask::Run)
        return request;

    const Command *command = nullptr;
    for (const Command *candidate : commands()) {
        if (!read->isSet(candidate->name()))
            continue;
        if (command)
            return Failure::failure(neitherAction());
        command = candidate;
    }
    const QStringList &takes = command ? command->options() : windowsOptions;
    for (const OptionRule &rule : rules) {
        const QString name = QLatin1String(rule.name);
        if (!read->isSet(name))
            continue;
        if (!(command && name == command->name()) && !takes.contains(name))
            return Failure::failure(goesWith(name, command));
        if (!rule.take)
            continue;
        if (const Result<> taken = rule.take(read->values.value(name), request); !taken)
            return Failure::failure(taken.failure());
    }
    if (const Result<> checked = command ? command->check(request) : Result<>(); !checked)
        return Failure::failure(checked.failure());
    request.command = command;
    return request;
}

TolvaneCommandLine::TolvaneCommandLine(SettingsStore &settings, QTextStream &out, QTextStream &err)
    : m_context {settings, out, err}
{ }

int TolvaneCommandLine::run(const Result<TolvaneRequest> &request)
{
    if (const auto answered = syntax().reply(request, m_context.out, m_context.err))
        return *answered;
    if (!request->command)
        return syntax().refuse(neitherAction(), m_context.err);
    const int status = request->command->execute(*request, m_context);
    m_context.out.flush();
    m_context.err.flush();
    return status;
}
