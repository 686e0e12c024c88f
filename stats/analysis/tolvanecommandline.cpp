// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/analysis/tolvanecommandline.h"

#include "stats/analysis/logparser.h"
#include "stats/analysis/logtext.h"
#include "stats/analysis/updaterun.h"
#include "stats/listener/endpoint.h"
#include "stats/listener/loglistener.h"
#include "stats/listener/senderpolicy.h"
#include "stats/store/datastats.h"
#include "stats/store/playernames.h"
#include "stats/store/postgresaddress.h"
#include "stats/store/servicedropins.h"
#include "stats/store/statscolumns.h"
#include "stats/store/statspaths.h"
#include "stats/store/tolvanesettings.h"
#include "stats/web/rankingsite.h"
#include "stats/web/staticexport.h"
#include "stats/web/webserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>
#include <QTimer>

#include <utility>

namespace {

const char *usage =
    "Usage: tolvane [--logs DIR] [--db FILE] [--host ID]   open the ranking window\n"
    "       tolvane --update [--logs DIR] [--db FILE] [--host ID] [--wait SECONDS]\n"
    "       tolvane --print [--by places|kills] [--db FILE]\n"
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
    "  --print       print the ranking as a table (by places unless --by kills)\n"
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

const char *neitherAction =
    "give one of --update, --print, --store, --copy-to, --listen, --serve and --html";

// A database as people are shown it: a file in the system's own form, an address without its
// password.
QString shownDatabase(const QString &database)
{
    return DataStats::isAddress(database) ? PostgresAddress::withoutPassword(database)
                                          : QDir::toNativeSeparators(database);
}

} // namespace

TolvaneCommandLine::Request TolvaneCommandLine::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption update(QStringLiteral("update"));
    const QCommandLineOption print(QStringLiteral("print"));
    const QCommandLineOption store(QStringLiteral("store"));
    const QCommandLineOption copyTo(QStringLiteral("copy-to"), {}, QStringLiteral("URI"));
    const QCommandLineOption host(QStringLiteral("host"), {}, QStringLiteral("ID"));
    const QCommandLineOption logs(QStringLiteral("logs"), {}, QStringLiteral("DIR"));
    const QCommandLineOption db(QStringLiteral("db"), {}, QStringLiteral("FILE"));
    const QCommandLineOption by(QStringLiteral("by"), {}, QStringLiteral("ORDER"),
                                QStringLiteral("places"));
    const QCommandLineOption wait(QStringLiteral("wait"), {}, QStringLiteral("SECONDS"));
    const QCommandLineOption listen(QStringLiteral("listen"), {}, QStringLiteral("PORT"));
    const QCommandLineOption allow(QStringLiteral("allow"), {}, QStringLiteral("SENDER"));
    const QCommandLineOption interval(QStringLiteral("interval"), {}, QStringLiteral("SECONDS"));
    const QCommandLineOption keepFree(QStringLiteral("keep-free"), {}, QStringLiteral("MIB"));
    const QCommandLineOption serve(QStringLiteral("serve"), {}, QStringLiteral("ADDRESS"));
    const QCommandLineOption html(QStringLiteral("html"), {}, QStringLiteral("DIR"));
    const QCommandLineOption help(QStringList {QStringLiteral("help"), QStringLiteral("h")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({update, print, store, copyTo, serve, html, logs, db, host, by, wait, listen,
                       allow, interval, keepFree, help, version});

    Request request;
    auto wrong = [&request](const QString &why) {
        request.action = Request::Action::Wrong;
        request.wrong = why;
        return request;
    };
    if (!parser.parse(arguments))
        return wrong(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return wrong(
            QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));
    if (parser.isSet(help)) {
        request.action = Request::Action::Help;
        return request;
    }
    if (parser.isSet(version)) {
        request.action = Request::Action::Version;
        return request;
    }
    request.logFolder = parser.value(logs);
    request.database = parser.value(db);
    request.host = parser.value(host);
    // Of the addresses only PostgreSQL's name a database; any other must not become a folder
    // named "mysql:".
    if (!DataStats::isSupported(request.database))
        return wrong(QStringLiteral("--db takes a database file or a postgresql:// address; %1 is "
                                    "another kind of address")
                         .arg(PostgresAddress::withoutPassword(request.database)));
    // Every user of the machine can read a command line (ps, systemctl show): a password in it
    // would be readable as long as the process runs.
    for (const auto &[option, value] :
         {std::pair {QStringLiteral("--db"), request.database},
          std::pair {QStringLiteral("--copy-to"), parser.value(copyTo)}}) {
        if (PostgresAddress::holdsPassword(value))
            return wrong(QStringLiteral("%1 %2: a password on the command line can be read by "
                                        "every user of this machine; give the address without "
                                        "it, and the password in ~/.pgpass "
                                        "(host:port:database:user:password, mode 600) or in "
                                        "PGPASSWORD")
                             .arg(option, PostgresAddress::withoutPassword(value)));
    }
    if (parser.isSet(host) && request.host.trimmed().isEmpty())
        return wrong(QStringLiteral("--host takes a name for this machine"));
    const int actions = int(parser.isSet(update)) + int(parser.isSet(print))
        + int(parser.isSet(store)) + int(parser.isSet(copyTo)) + int(parser.isSet(listen))
        + int(parser.isSet(serve)) + int(parser.isSet(html));
    if (actions == 0) {
        // The windows take a folder, a database and a host, and nothing else.
        if (parser.isSet(by) || parser.isSet(wait) || parser.isSet(allow) || parser.isSet(interval)
            || parser.isSet(keepFree) || (parser.isSet(logs) && request.logFolder.isEmpty())
            || (parser.isSet(db) && request.database.isEmpty()))
            return wrong(QLatin1String(neitherAction));
        request.action = Request::Action::Windows;
        return request;
    }
    if (actions > 1)
        return wrong(QLatin1String(neitherAction));
    if (parser.isSet(copyTo)) {
        request.copyTo = parser.value(copyTo);
        if (!PostgresAddress::isPostgres(request.copyTo))
            return wrong(QStringLiteral("--copy-to takes a postgresql:// address, not %1")
                             .arg(request.copyTo));
        if (PostgresAddress::isPostgres(request.database))
            return wrong(QStringLiteral("--copy-to copies a database file, given with --db FILE"));
        if (parser.isSet(logs) || parser.isSet(by) || parser.isSet(wait))
            return wrong(QStringLiteral("--copy-to takes --db and --host only"));
        request.action = Request::Action::CopyTo;
        return request;
    }
    if (parser.isSet(store)) {
        if (parser.isSet(by) || parser.isSet(wait) || parser.isSet(allow) || parser.isSet(interval)
            || parser.isSet(keepFree))
            return wrong(QStringLiteral("--store takes --logs, --db and --host only"));
        if (request.logFolder.isEmpty() && request.database.isEmpty() && request.host.isEmpty())
            return wrong(QStringLiteral("--store needs --logs DIR, --db FILE or --host ID"));
        request.action = Request::Action::Store;
        return request;
    }
    if (parser.isSet(listen)) {
        if (parser.isSet(by))
            return wrong(QStringLiteral("--by goes with --print"));
        if (parser.isSet(wait))
            return wrong(QStringLiteral("--wait goes with --update"));
        if (parser.isSet(logs) && request.logFolder.isEmpty())
            return wrong(QStringLiteral("--logs takes a folder"));
        if (const Result<Endpoint> endpoint = Endpoint::parseListen(parser.value(listen));
            !endpoint)
            return wrong(
                QStringLiteral("--listen %1: %2").arg(parser.value(listen), endpoint.reason()));
        if (const auto policy = SenderPolicy::fromArguments(parser.values(allow)); !policy)
            return wrong(policy.reason());
        if (parser.isSet(interval)) {
            bool valid = false;
            const int seconds = parser.value(interval).toInt(&valid);
            if (!valid || seconds < 1)
                return wrong(
                    QStringLiteral("--interval takes a number of seconds, at least 1, not %1")
                        .arg(parser.value(interval)));
            request.interval = std::chrono::seconds(seconds);
        }
        if (parser.isSet(keepFree)) {
            bool valid = false;
            request.keepFreeMiB = parser.value(keepFree).toLongLong(&valid);
            if (!valid || request.keepFreeMiB < 0)
                return wrong(QStringLiteral("--keep-free takes a number of MiB, 0 or more, not %1")
                                 .arg(parser.value(keepFree)));
        }
        // Any user of the machine can send from the loopback: nobody is taken for a game
        // server unless named.
        if (!parser.isSet(allow))
            return wrong(QStringLiteral(
                "--listen needs --allow ADDRESS[:PORT][/SECRET] to name each game server that "
                "may send its log; for one on this machine, --allow 127.0.0.1/SECRET with "
                "sv_logsecret SECRET on the game server"));
        request.listen = parser.value(listen);
        request.allow = parser.values(allow);
        request.action = Request::Action::Listen;
        return request;
    }
    if (parser.isSet(allow))
        return wrong(QStringLiteral("--allow goes with --listen"));
    if (parser.isSet(interval))
        return wrong(QStringLiteral("--interval goes with --listen"));
    if (parser.isSet(keepFree))
        return wrong(QStringLiteral("--keep-free goes with --listen"));
    if (parser.isSet(serve) || parser.isSet(html)) {
        const QString action =
            parser.isSet(serve) ? QStringLiteral("--serve") : QStringLiteral("--html");
        if (parser.isSet(logs))
            return wrong(QStringLiteral("--logs goes with --update"));
        if (parser.isSet(wait))
            return wrong(QStringLiteral("--wait goes with --update"));
        if (parser.isSet(host))
            return wrong(QStringLiteral("--host goes with --update"));
        if (parser.isSet(by))
            return wrong(
                QStringLiteral("--by goes with --print; %1 shows both orders").arg(action));
        if (parser.isSet(db) && request.database.isEmpty())
            return wrong(QStringLiteral("--db takes a database file"));
        if (parser.isSet(html)) {
            request.htmlFolder = parser.value(html);
            if (request.htmlFolder.isEmpty())
                return wrong(QStringLiteral("--html takes a folder"));
            request.action = Request::Action::Html;
            return request;
        }
        // [ADDRESS:]PORT, an IPv6 address in brackets: "8080", "0.0.0.0:80", "[::1]:8080".
        static const QRegularExpression listen(
            QStringLiteral(R"(^(?:\[([0-9A-Fa-f:.]+)\]:|([0-9.]+):)?([0-9]{1,5})$)"));
        const QRegularExpressionMatch match = listen.match(parser.value(serve));
        const QString address = match.captured(1) + match.captured(2);
        const int port = match.captured(3).toInt();
        if (!match.hasMatch() || port > 65535
            || (!address.isEmpty() && QHostAddress(address).isNull()))
            return wrong(QStringLiteral("--serve takes [ADDRESS:]PORT, such as 8080, "
                                        "0.0.0.0:8080 or [::1]:8080, not %1")
                             .arg(parser.value(serve)));
        if (!address.isEmpty())
            request.address = address;
        request.port = quint16(port);
        request.action = Request::Action::Serve;
        return request;
    }
    if (parser.isSet(update)) {
        if (parser.isSet(by))
            return wrong(QStringLiteral("--by goes with --print"));
        if (parser.isSet(wait)) {
            bool valid = false;
            const int seconds = parser.value(wait).toInt(&valid);
            if (!valid || seconds < 0)
                return wrong(QStringLiteral("--wait takes a number of seconds, not %1")
                                 .arg(parser.value(wait)));
            request.wait = std::chrono::seconds(seconds);
        }
        request.action = Request::Action::Update;
        return request;
    }
    if (parser.isSet(logs))
        return wrong(QStringLiteral("--logs goes with --update"));
    if (parser.isSet(host))
        return wrong(QStringLiteral("--host goes with --update"));
    if (parser.isSet(wait))
        return wrong(QStringLiteral("--wait goes with --update"));
    const QString order = parser.value(by).toLower();
    if (order != QLatin1String("places") && order != QLatin1String("kills"))
        return wrong(QStringLiteral("--by takes places or kills, not %1").arg(parser.value(by)));
    request.order =
        order == QLatin1String("kills") ? DataStats::Ranking::Kills : DataStats::Ranking::Places;
    request.action = Request::Action::Print;
    return request;
}

TolvaneCommandLine::TolvaneCommandLine(SettingsStore &settings, QTextStream &out, QTextStream &err)
    : m_settings(settings), m_out(out), m_err(err)
{ }

int TolvaneCommandLine::run(const Request &request)
{
    auto wrong = [this](const QString &why) {
        m_err << "tolvane: " << why << "\n" << usage;
        m_err.flush();
        return 2;
    };
    switch (request.action) {
    case Request::Action::Wrong:
        return wrong(request.wrong);
    case Request::Action::Windows:
        return wrong(QLatin1String(neitherAction));
    case Request::Action::Help:
        m_out << usage;
        return 0;
    case Request::Action::Version:
        m_out << "tolvane " << QCoreApplication::applicationVersion() << "\n";
        return 0;
    case Request::Action::Update:
        return update(request.logFolder, request.database, request.host, request.wait);
    case Request::Action::Print:
        return print(request.order, request.database);
    case Request::Action::Store:
        return store(request.logFolder, request.database, request.host);
    case Request::Action::CopyTo:
        return copyTo(request.copyTo, request.database, request.host);
    case Request::Action::Listen:
        return listen(request);
    case Request::Action::Serve:
        return serve(request.address, request.port, request.database);
    case Request::Action::Html:
        return html(request.htmlFolder, request.database);
    }
    return 2;
}

namespace {

/** Says once on the command line that the run waits for another update. */
struct WaitNotice final : UpdateObserver
{
    QTextStream &err;
    QString database;
    bool told = false;

    WaitNotice(QTextStream &err, QString database) : err(err), database(std::move(database)) { }
    void fileStarted(int, int, qint64) override { }
    void lineProcessed(qint64) override { }
    bool followsLines() const override { return false; }
    void waitingForWriter(std::chrono::milliseconds, std::chrono::milliseconds bound) override
    {
        if (told)
            return;
        told = true;
        err << "tolvane: another update of " << database
            << " is running; waiting for it to finish (at most "
            << std::chrono::duration_cast<std::chrono::seconds>(bound).count() << " s)\n";
        err.flush();
    }
};

} // namespace

int TolvaneCommandLine::failed(const QString &reason)
{
    m_err << "tolvane: " << reason << "\n";
    m_err.flush();
    return 1;
}

int TolvaneCommandLine::update(const QString &logs, const QString &database, const QString &host,
                               std::chrono::milliseconds waitBound)
{
    StatsPaths paths(m_settings);
    const QString logFolder = logs.isEmpty() ? paths.logFolder() : logs;
    if (logFolder.isEmpty()) {
        m_err << "tolvane: no log folder known; give the server's log folder with --logs DIR\n";
        m_err.flush();
        return 2;
    }
    // Checked before the database is opened, which would create it for nothing.
    if (!QFileInfo(logFolder).isDir()) {
        m_err << "tolvane: the log folder " << QDir::toNativeSeparators(logFolder)
              << " does not exist\n";
        m_err.flush();
        return 1;
    }
    const QString path = database.isEmpty() ? paths.databasePath() : database;
    DataStats store;
    store.setHost(host.isEmpty() ? paths.host() : host);
    // A database that cannot be reached leaves every log where it is.
    if (const Result<> opened = store.open(path); !opened) {
        m_err << "tolvane: " << opened.reason() << "\n";
        m_err.flush();
        return 1;
    }
    UpdateRun run(store, logFolder);
    run.setWaitBound(waitBound);
    WaitNotice notice(m_err,
                      DataStats::isAddress(path) ? store.path() : QDir::toNativeSeparators(path));
    if (const Result<> counted = run.run(&notice); !counted) {
        if (run.timedOut()) {
            m_err << "tolvane: nothing was counted: " << counted.reason() << "\n";
            m_err.flush();
            return 3;
        }
        m_err << "tolvane: " << counted.reason() << "\n";
        m_err.flush();
        return 1;
    }
    const UpdateSummary &s = run.summary();
    if (const int merged = store.mergedOnOpen() + s.merged; merged > 0)
        m_out << "merged " << merged
              << " rows into the rows of players whose names differ only in letter case\n";
    if (s.filesReplaced > 0)
        m_out << s.filesReplaced
              << " files were replaced while they were counted; they stay for the next run\n";
    m_out << s.files << " files (" << s.filesDeleted << " finished and deleted), " << s.lines
          << " lines, " << s.events << " events, " << s.malformed << " malformed lines skipped, "
          << s.players << " players, " << QString::number(s.seconds, 'f', 2) << " s\n";
    m_out.flush();
    return 0;
}

int TolvaneCommandLine::print(DataStats::Ranking order, const QString &database)
{
    StatsPaths paths(m_settings);
    DataStats store;
    if (const Result<> opened = store.open(database.isEmpty() ? paths.databasePath() : database,
                                           DataStats::Access::ReadOnly);
        !opened)
        return failed(opened.reason());

    // The rows are written as they are read, whatever their number: the widths come first,
    // from the database's own extents of the numbers and one pass over the names alone.
    const Result<DataStats::Extents> extents = store.extents();
    if (!extents)
        return failed(extents.reason());
    std::array<qsizetype, StatsColumns::Count> widths {};
    auto digits = [](qint64 a, qint64 b) {
        return std::max(QString::number(a).size(), QString::number(b).size());
    };
    for (int c = 0; c < StatsColumns::Count; ++c)
        widths[std::size_t(c)] = qsizetype(StatsColumns::names[std::size_t(c)].size());
    widths[StatsColumns::Place] = std::max(widths[StatsColumns::Place],
                                           digits(extents->smallestPlace, extents->largestPlace));
    for (int c = StatsColumns::FirstCounter; c < StatsColumns::Count; ++c) {
        const auto i = std::size_t(c - StatsColumns::FirstCounter);
        widths[std::size_t(c)] =
            std::max(widths[std::size_t(c)], digits(extents->smallest[i], extents->largest[i]));
    }
    QSqlQuery names(store.database());
    names.setForwardOnly(true);
    if (!names.exec(QStringLiteral("SELECT \"Nom\" FROM \"Stats\"")))
        return failed(QStringLiteral("cannot read the ranking: ") + names.lastError().text());
    while (names.next())
        widths[StatsColumns::Nom] = std::max(
            widths[StatsColumns::Nom], PlayerNames::visible(names.value(0).toString()).size());
    names.finish();

    QSqlQuery query(store.database());
    query.setForwardOnly(true);
    if (!query.exec(DataStats::rankingQuery(order)))
        return failed(QStringLiteral("cannot read the ranking: ") + query.lastError().text());
    auto writeLine = [this, &widths](auto cell) {
        QString line;
        for (int c = 0; c < StatsColumns::Count; ++c) {
            if (c > 0)
                line += QLatin1String("  ");
            const QString text = cell(c);
            line += c == StatsColumns::Nom ? text.leftJustified(widths[std::size_t(c)])
                                           : text.rightJustified(widths[std::size_t(c)]);
        }
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        m_out << line << "\n";
    };
    writeLine([](int c) {
        const std::string_view name = StatsColumns::names[std::size_t(c)];
        return QString::fromUtf8(name.data(), qsizetype(name.size()));
    });
    while (query.next()) {
        writeLine([&query](int c) {
            return c == StatsColumns::Nom ? PlayerNames::visible(query.value(c).toString())
                                          : QString::number(query.value(c).toLongLong());
        });
    }
    if (query.lastError().isValid())
        return failed(QStringLiteral("cannot read the ranking: ") + query.lastError().text());
    m_out.flush();
    return 0;
}

int TolvaneCommandLine::store(const QString &logs, const QString &database, const QString &host)
{
    StatsPaths paths(m_settings);
    // Kept as absolute paths: a timer or a window starts in another folder.
    if (!logs.isEmpty()) {
        const QFileInfo folder(logs);
        if (!folder.isDir())
            return failed(QStringLiteral("the log folder %1 does not exist")
                              .arg(QDir::toNativeSeparators(logs)));
        if (const Result<> stored = paths.setLogFolder(folder.absoluteFilePath()); !stored)
            return failed(stored.reason());
        m_out << "log folder: " << QDir::toNativeSeparators(folder.absoluteFilePath()) << "\n";
    }
    if (!database.isEmpty()) {
        // An address is kept as given (it holds no password: the command line refuses one).
        const bool address = DataStats::isAddress(database);
        const QString path = address ? database : QFileInfo(database).absoluteFilePath();
        if (const Result<> stored = paths.setDatabasePath(path); !stored)
            return failed(stored.reason());
        m_out << "database: " << (address ? path : QDir::toNativeSeparators(path)) << "\n";
    }
    if (!host.isEmpty()) {
        if (const Result<> stored =
                TolvaneSettings(m_settings).setValue(TolvaneSettings::Key::Host, host.trimmed());
            !stored)
            return failed(stored.reason());
        m_out << "host: " << host.trimmed() << "\n";
    }
    // The sandboxed user services may write only into the folders named to them.
    const Result<QString> services = ServiceDropIns(m_settings).write();
    if (!services)
        return failed(services.reason());
    if (!services->isEmpty())
        m_out << *services << "\n";
    m_out.flush();
    return 0;
}

int TolvaneCommandLine::copyTo(const QString &target, const QString &database, const QString &host)
{
    StatsPaths paths(m_settings);
    DataStats source;
    source.setHost(host.isEmpty() ? paths.host() : host);
    if (const Result<> opened = source.open(database.isEmpty() ? paths.databasePath() : database,
                                            DataStats::Access::ReadOnly);
        !opened)
        return failed(opened.reason());
    DataStats copy;
    if (const Result<> opened = copy.open(target); !opened)
        return failed(opened.reason());
    // A machine that counts into the new database meanwhile waits for the copy.
    if (const Result<> locked = copy.lockWriter(UpdateRun::defaultWaitBound); !locked)
        return failed(locked.reason());
    // A host given names the machine for the copy as for every run; without one the records
    // keep the host the file's own runs counted under.
    const Result<DataStats::CopySummary> copied = copy.copyFrom(source, host.trimmed());
    copy.unlockWriter();
    if (!copied)
        return failed(copied.reason());
    m_out << "copied " << copied->rows << " players, " << copied->keys << " player keys and "
          << copied->progress << " log progress records from " << source.path() << " to "
          << copy.path() << "\n";
    // Runs on the copy find a log's progress only under the host it is stored under: a copy
    // under a name those runs do not give would count every unfinished log again.
    if (copied->progress > 0) {
        const QString hosts = copied->storedUnder.join(QLatin1String(", "));
        const bool one = copied->storedUnder.size() == 1;
        m_out << "the log progress records are stored under the host" << (one ? " " : "s ")
              << hosts;
        if (copied->recordedUnder != copied->storedUnder)
            m_out << " (counted under " << copied->recordedUnder.join(QLatin1String(", ")) << " in "
                  << source.path() << ")";
        m_out << "\n";
        if (copied->storedUnder != QStringList {paths.host()})
            m_out << "the runs on " << copy.path() << " find them only when they count as "
                  << (one ? "that host: give them --host " + hosts
                              + ", or keep it with tolvane --store --host " + hosts
                          : QStringLiteral("one of those hosts, with --host"))
                  << "\n";
    }
    m_out.flush();
    return 0;
}

int TolvaneCommandLine::listen(const Request &request)
{
    StatsPaths paths(m_settings);
    LogListener::Options options;
    options.listen = *Endpoint::parseListen(request.listen);
    options.policy = *SenderPolicy::fromArguments(request.allow);
    options.spoolFolder =
        request.logFolder.isEmpty() ? LogListener::defaultSpoolFolder() : request.logFolder;
    options.program = QCoreApplication::applicationFilePath();
    // The address holds no password (the command line refuses one): a count finds it where
    // this process does, in PGPASSWORD, which it inherits, or in ~/.pgpass.
    if (!request.database.isEmpty())
        options.updateArguments << QStringLiteral("--db") << request.database;
    // Each machine's listener counts into a shared database under its own name.
    if (!request.host.isEmpty())
        options.updateArguments << QStringLiteral("--host") << request.host;
    options.database =
        shownDatabase(request.database.isEmpty() ? paths.databasePath() : request.database);
    options.interval = request.interval;
    if (request.keepFreeMiB >= 0)
        options.keepFreeMiB = request.keepFreeMiB;
    options.silence = LogListener::silenceFromEnvironment();
    // The listener reports what the update will make of each line, by the update's own rules.
    options.parses = [](QByteArrayView line) {
        return ParseLogLine(line).has_value();
    };
    options.closesLog = [](QByteArrayView line) {
        return LogText::endsClosed(line);
    };

    const QString stored = paths.logFolder();
    if (!stored.isEmpty()
        && QFileInfo(stored).absoluteFilePath()
            == QFileInfo(options.spoolFolder).absoluteFilePath()) {
        m_err << "tolvane: warning: " << QDir::toNativeSeparators(options.spoolFolder)
              << " is also the stored log folder: if a game server writes its own logs there,"
                 " their lines are counted twice\n";
        m_err.flush();
    }
    LogListener listener(std::move(options), m_out, m_err);
    return listener.run();
}

int TolvaneCommandLine::serve(const QString &address, quint16 port, const QString &database)
{
    const Result<WebServer::Limits> limits = WebServer::Limits::fromEnvironment();
    if (!limits)
        return failed(limits.reason());
    StatsPaths paths(m_settings);
    const QString path = database.isEmpty() ? paths.databasePath() : database;
    RankingSite site(path);
    // A server started before the first update serves as soon as there is something to read.
    if (const Result<> opened = site.open(); !opened)
        m_err << "tolvane: " << opened.reason() << "; the pages answer 503 until it can be read\n";
    m_err.flush();
    WebServer server([&site](const WebRequest &request) { return site.handle(request); }, *limits);
    // After an update, the scan that places players by kills is done here, between requests,
    // rather than by the first player's page.
    QTimer readAhead;
    QObject::connect(&readAhead, &QTimer::timeout, [&site] { site.readAhead(); });
    readAhead.start(std::chrono::seconds(2));
    const QHostAddress host(address);
    const Result<quint16> listening = server.listen(host, port);
    if (!listening) {
        m_err << "tolvane: " << listening.reason() << "\n";
        m_err.flush();
        return 1;
    }
    const QString shown = host.protocol() == QAbstractSocket::IPv6Protocol
        ? QStringLiteral("[%1]").arg(address)
        : address;
    m_out << "tolvane: serving the ranking of " << shownDatabase(path) << " at http://" << shown
          << ":" << *listening << "/\n";
    m_out.flush();
    return QCoreApplication::exec();
}

int TolvaneCommandLine::html(const QString &folder, const QString &database)
{
    StatsPaths paths(m_settings);
    DataStats store;
    if (const Result<> opened = store.open(database.isEmpty() ? paths.databasePath() : database,
                                           DataStats::Access::ReadOnly);
        !opened)
        return failed(opened.reason());
    const Result<int> written = StaticExport(store).write(folder);
    if (!written)
        return failed(written.reason());
    m_out << *written << " files written to " << QDir::toNativeSeparators(folder) << "\n";
    m_out.flush();
    return 0;
}
