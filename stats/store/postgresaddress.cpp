// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/postgresaddress.h"

#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

namespace {

const QRegularExpression &schemePattern()
{
    static const QRegularExpression scheme(QStringLiteral("^(postgres|postgresql)://"),
                                           QRegularExpression::CaseInsensitiveOption);
    return scheme;
}

QString decoded(QStringView part)
{
    return QUrl::fromPercentEncoding(part.toUtf8());
}

QString encoded(const QString &part, const QByteArray &keep = {})
{
    return QString::fromLatin1(QUrl::toPercentEncoding(part, keep));
}

// A value of the driver's connect options: quoted, since libpq reads blanks as separators.
QString quotedOption(QString value)
{
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

} // namespace

bool PostgresAddress::isPostgres(const QString &location)
{
    return schemePattern().match(location).hasMatch();
}

Result<PostgresAddress> PostgresAddress::parse(const QString &uri)
{
    const QRegularExpressionMatch scheme = schemePattern().match(uri);
    auto wrong = [&uri](const QString &why) {
        return Result<PostgresAddress>::failure(
            QStringLiteral("%1 is not a PostgreSQL address: %2").arg(withoutPassword(uri), why));
    };
    if (!scheme.hasMatch())
        return wrong(QStringLiteral("it starts with neither postgresql:// nor postgres://"));
    PostgresAddress address;
    address.m_scheme = scheme.captured(1).toLower();

    QStringView rest = QStringView(uri).sliced(scheme.capturedLength());
    QStringView query;
    if (const qsizetype mark = rest.indexOf(QLatin1Char('?')); mark >= 0) {
        query = rest.sliced(mark + 1);
        rest = rest.first(mark);
    }
    QStringView authority = rest;
    if (const qsizetype slash = rest.indexOf(QLatin1Char('/')); slash >= 0) {
        authority = rest.first(slash);
        address.m_database = decoded(rest.sliced(slash + 1));
    }
    if (const qsizetype at = authority.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QStringView userInfo = authority.first(at);
        authority = authority.sliced(at + 1);
        const qsizetype colon = userInfo.indexOf(QLatin1Char(':'));
        address.m_user = decoded(colon >= 0 ? userInfo.first(colon) : userInfo);
        if (colon >= 0)
            address.m_password = decoded(userInfo.sliced(colon + 1));
    }
    if (authority.contains(QLatin1Char(',')))
        return wrong(QStringLiteral("give one server, not a list"));
    QStringView port;
    if (authority.startsWith(QLatin1Char('['))) {
        const qsizetype close = authority.indexOf(QLatin1Char(']'));
        if (close < 0)
            return wrong(QStringLiteral("the server's address lacks its closing bracket"));
        address.m_host = authority.sliced(1, close - 1).toString();
        const QStringView after = authority.sliced(close + 1);
        if (!after.isEmpty() && !after.startsWith(QLatin1Char(':')))
            return wrong(QStringLiteral("unexpected %1 after the server's address").arg(after));
        port = after.isEmpty() ? after : after.sliced(1);
    } else if (const qsizetype colon = authority.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        address.m_host = decoded(authority.first(colon));
        port = authority.sliced(colon + 1);
    } else {
        address.m_host = decoded(authority);
    }
    auto setPort = [&address](QStringView text) {
        bool valid = false;
        const int number = text.toInt(&valid);
        if (!valid || number < 1 || number > 65535)
            return false;
        address.m_port = number;
        return true;
    };
    if (!port.isEmpty() && !setPort(port))
        return wrong(QStringLiteral("the port %1 is not a number from 1 to 65535").arg(port));

    for (const QStringView pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return wrong(QStringLiteral("the parameter %1 has no value").arg(pair));
        const QString name = decoded(pair.first(equals));
        const QString value = decoded(pair.sliced(equals + 1));
        // The driver turns every ";" of its options into a blank, even inside quotes.
        if (value.contains(QLatin1Char(';')))
            return wrong(QStringLiteral("the value of %1 holds a \";\"").arg(name));
        if (name == QLatin1String("host")) {
            if (value.contains(QLatin1Char(',')))
                return wrong(QStringLiteral("give one server, not a list"));
            address.m_host = value;
        } else if (name == QLatin1String("port")) {
            if (!setPort(value))
                return wrong(
                    QStringLiteral("the port %1 is not a number from 1 to 65535").arg(value));
        } else if (name == QLatin1String("user")) {
            address.m_user = value;
        } else if (name == QLatin1String("dbname")) {
            address.m_database = value;
        } else if (name == QLatin1String("password")) {
            address.m_password = value;
        } else {
            address.m_parameters.append({name, value});
        }
    }
    return address;
}

QString PostgresAddress::withoutPassword(const QString &location)
{
    if (isPostgres(location)) {
        if (const Result<PostgresAddress> address = parse(location))
            return address->withoutPassword();
    }
    // Not an address libpq would take, but it may be shown in the message that says so.
    static const QRegularExpression userPassword(
        QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*://[^:@/]*):[^@/]*@"));
    static const QRegularExpression passwordParameter(QStringLiteral("([?&]password=)[^&]*"));
    return QString(location)
        .replace(userPassword, QStringLiteral("\\1@"))
        .replace(passwordParameter, QStringLiteral("\\1"));
}

bool PostgresAddress::holdsPassword(const QString &location)
{
    if (!isPostgres(location))
        return false;
    if (const Result<PostgresAddress> address = parse(location))
        return !address->password().isEmpty();
    // Not an address libpq would take: whatever the shown form leaves out was a password.
    return withoutPassword(location) != location;
}

QList<std::pair<QString, QString>> PostgresAddress::connectParameters() const
{
    QList<std::pair<QString, QString>> parameters = m_parameters;
    // libpq waits on a server that does not answer for as long as the system's TCP connect
    // does, minutes: a run from a timer would hang that long before it could say why.
    if (std::none_of(parameters.cbegin(), parameters.cend(),
                     [](const auto &p) { return p.first == QLatin1String("connect_timeout"); }))
        parameters.append({QStringLiteral("connect_timeout"), QStringLiteral("10")});
    return parameters;
}

QString PostgresAddress::connectOptions(const QList<std::pair<QString, QString>> &parameters)
{
    QStringList options;
    for (const auto &[name, value] : parameters)
        options << name + QLatin1Char('=') + quotedOption(value);
    return options.join(QLatin1Char(';'));
}

QString PostgresAddress::withoutPassword() const
{
    QString text = m_scheme + QStringLiteral("://");
    if (!m_user.isEmpty())
        text += encoded(m_user) + QLatin1Char('@');
    text += m_host.contains(QLatin1Char(':')) ? QLatin1Char('[') + m_host + QLatin1Char(']')
                                              : encoded(m_host);
    if (m_port > 0)
        text += QLatin1Char(':') + QString::number(m_port);
    if (!m_database.isEmpty())
        text += QLatin1Char('/') + encoded(m_database);
    QStringList parameters;
    for (const auto &[name, value] : m_parameters)
        parameters << encoded(name) + QLatin1Char('=') + encoded(value);
    if (!parameters.isEmpty())
        text += QLatin1Char('?') + parameters.join(QLatin1Char('&'));
    return text;
}

namespace {

QString either(const QString &given, const char *variable, const QString &fallback)
{
    if (!given.isEmpty())
        return given;
    const QString set = qEnvironmentVariable(variable);
    return set.isEmpty() ? fallback : set;
}

} // namespace

QString PostgresAddress::describeUser() const
{
    return either(m_user, "PGUSER", qEnvironmentVariable("USER"));
}

QString PostgresAddress::describe() const
{
    const QString host = either(m_host, "PGHOST", QStringLiteral("localhost"));
    const QString port =
        m_port > 0 ? QString::number(m_port) : either({}, "PGPORT", QStringLiteral("5432"));
    const QString database = either(m_database, "PGDATABASE", describeUser());
    const QString server = host.startsWith(QLatin1Char('/'))
        ? QStringLiteral("the socket in %1, port %2").arg(host, port)
        : host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]:%2").arg(host, port)
                                          : QStringLiteral("%1:%2").arg(host, port);
    return QStringLiteral("%1, database %2").arg(server, database);
}
