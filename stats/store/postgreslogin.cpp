// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/postgreslogin.h"

#include "stats/store/postgresaddress.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <libpq-fe.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <poll.h>
#endif

namespace {

// Login refused: a wrong password (28P01), or no such user, no pg_hba.conf line, a failed peer
// check (28000). No such database: 3D000.
constexpr const char *wrongPassword = "28P01";
constexpr const char *wrongLogin = "28000";
constexpr const char *noSuchDatabase = "3D000";

int waitFor(PGconn *connection, PostgresPollingStatusType state, const QDeadlineTimer &deadline)
{
#ifdef Q_OS_WIN
    WSAPOLLFD descriptor {SOCKET(PQsocket(connection)),
                          short(state == PGRES_POLLING_READING ? POLLRDNORM : POLLWRNORM), 0};
    return WSAPoll(&descriptor, 1, deadline.isForever() ? -1 : int(deadline.remainingTime()));
#else
    pollfd descriptor {PQsocket(connection),
                       short(state == PGRES_POLLING_READING ? POLLIN : POLLOUT), 0};
    int ready;
    do {
        ready = ::poll(&descriptor, 1, deadline.isForever() ? -1 : int(deadline.remainingTime()));
    } while (ready < 0 && errno == EINTR);
    return ready;
#endif
}

} // namespace

PostgresLogin::Answer PostgresLogin::tryLogin(const PostgresAddress &address,
                                              const QList<std::pair<QString, QString>> &parameters)
{
    std::vector<QByteArray> names;
    std::vector<QByteArray> values;
    int timeoutSeconds = 0;
    auto add = [&](const QString &name, const QString &value) {
        if (value.isEmpty())
            return;
        names.push_back(name.toUtf8());
        values.push_back(value.toUtf8());
        if (name == QLatin1String("connect_timeout"))
            timeoutSeconds = value.toInt();
    };
    // What Qt's driver gives libpq, so that the answer is the one it would get.
    add(QStringLiteral("host"), address.host());
    add(QStringLiteral("port"), address.port() > 0 ? QString::number(address.port()) : QString());
    add(QStringLiteral("user"), address.user());
    add(QStringLiteral("password"), address.password());
    add(QStringLiteral("dbname"), address.database());
    for (const auto &[name, value] : parameters)
        add(name, value);
    std::vector<const char *> keywords;
    std::vector<const char *> settings;
    for (std::size_t i = 0; i < names.size(); ++i) {
        keywords.push_back(names[i].constData());
        settings.push_back(values[i].constData());
    }
    keywords.push_back(nullptr);
    settings.push_back(nullptr);

    PGconn *connection = PQconnectStartParams(keywords.data(), settings.data(), 0);
    if (!connection)
        return {Outcome::Unreachable, QStringLiteral("out of memory")};
    // Every field of the server's errors, its SQLSTATE among them.
    PQsetErrorVerbosity(connection, PQERRORS_VERBOSE);
    // As libpq counts it: each address tried gets the whole time, and no less than 2 s.
    const int timeoutMs = timeoutSeconds > 0 ? std::max(timeoutSeconds, 2) * 1000 : -1;
    PostgresPollingStatusType state =
        PQstatus(connection) == CONNECTION_BAD ? PGRES_POLLING_FAILED : PGRES_POLLING_WRITING;
    int socket = -1;
    QDeadlineTimer deadline;
    bool timedOut = false;
    while (state != PGRES_POLLING_OK && state != PGRES_POLLING_FAILED) {
        if (PQsocket(connection) != socket) {
            socket = PQsocket(connection);
            deadline =
                timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
        }
        const int ready = waitFor(connection, state, deadline);
        if (ready == 0) {
            timedOut = true;
            break;
        }
        state = PQconnectPoll(connection);
    }
    Answer answer;
    if (state == PGRES_POLLING_OK) {
        answer.outcome = Outcome::Connected;
    } else if (timedOut) {
        answer = {Outcome::Unreachable,
                  QStringLiteral("no answer within %1 s").arg(timeoutMs / 1000)};
    } else {
        const QString text = QString::fromUtf8(PQerrorMessage(connection));
        // "FATAL:  28P01: password authentication failed ...", behind what libpq says of the
        // address it tried; the last of them is the one that decided.
        static const QRegularExpression serverError(
            QStringLiteral("(\\S+):  ([0-9A-Z]{5}): ([^\\n]*)"));
        QString code;
        for (const QRegularExpressionMatch &match : serverError.globalMatch(text)) {
            code = match.captured(2);
            answer.message = match.captured(3).trimmed();
        }
        if (code.isEmpty())
            answer.message = text.simplified();
        if (code == QLatin1String(wrongPassword) || code == QLatin1String(wrongLogin)
            || (code.isEmpty() && PQconnectionNeedsPassword(connection)))
            answer.outcome = Outcome::LoginRefused;
        else if (code == QLatin1String(noSuchDatabase))
            answer.outcome = Outcome::NoDatabase;
        else
            answer.outcome = code.isEmpty() ? Outcome::Unreachable : Outcome::Refused;
    }
    PQfinish(connection);
    return answer;
}

void PostgresLogin::silenceNotices(const QSqlDatabase &db)
{
    // The driver hands out its libpq connection under the name of the struct behind PGconn.
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid()
        || (qstrcmp(handle.typeName(), "pg_conn*") != 0
            && qstrcmp(handle.typeName(), "PGconn*") != 0))
        return;
    if (PGconn *connection = *static_cast<PGconn *const *>(handle.constData()))
        PQsetNoticeProcessor(
            connection, [](void *, const char *) {}, nullptr);
}
