// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

#include <system_error>
#include <utility>

/**
 * Why an operation failed: a kind that callers decide on (try again, wait, tell the user to free
 * some disk), what was being done, the object it was done to (a file, a database) and the
 * detail in the words of the system or the engine. Callers never look into the texts; the
 * message for people is built from the parts: the system's own error when one caused it, the
 * figures the detail states, or a whole message a layer that speaks the user's language wrote.
 */
class Failure
{
public:
    enum class Kind {
        Other,
        Busy, ///< another connection holds the data for a moment: trying again may succeed
        LockTimeout, ///< another writer kept its lock for the whole wait
        ReadOnly,
        DiskFull,
        Corrupt, ///< the data cannot be read as what it should be
        Unreachable, ///< the server or file cannot be reached or opened
        LoginRefused,
        Io,
    };

    Failure() = default;
    /// A failure told in one text, of no particular kind.
    explicit Failure(QString detail) : m_detail(std::move(detail)) { }
    Failure(Kind kind, QString what, QString object, QString detail)
        : m_kind(kind), m_what(std::move(what)), m_object(std::move(object)),
          m_detail(std::move(detail))
    { }

    /// A failure the system reported with \a error, its kind read from the error; the detail
    /// is \a detail, else the system's text of the error.
    static Failure ofSystem(std::error_code error, QString what = {}, QString object = {},
                            QString detail = {})
    {
        if (detail.isEmpty())
            detail = QString::fromLocal8Bit(error.message());
        Failure failure(kindOf(error), std::move(what), std::move(object), std::move(detail));
        failure.m_system = error;
        return failure;
    }
    static Kind kindOf(std::error_code error)
    {
        const std::error_condition condition = error.default_error_condition();
        if (condition == std::errc::no_space_on_device)
            return Kind::DiskFull;
        if (condition == std::errc::read_only_file_system)
            return Kind::ReadOnly;
        if (condition == std::errc::io_error)
            return Kind::Io;
        if (condition == std::errc::no_such_file_or_directory)
            return Kind::Unreachable;
        return Kind::Other;
    }

    /// The same failure, its figures (a process id, a number of seconds) given apart for
    /// messages in other words.
    Failure withValues(QStringList values) const
    {
        Failure failure = *this;
        failure.m_values = std::move(values);
        return failure;
    }
    /// The same failure, told to people as \a message; text() keeps the parts.
    Failure toldAs(QString message) const
    {
        Failure failure = *this;
        failure.m_told = std::move(message);
        return failure;
    }

    Kind kind() const { return m_kind; }
    const QString &what() const { return m_what; }
    const QString &object() const { return m_object; }
    const QString &detail() const { return m_detail; }
    /// The system's error, when the system reported the failure.
    std::error_code system() const { return m_system; }
    const QStringList &values() const { return m_values; }
    /// The message a layer wrote for people; empty when none did.
    const QString &told() const { return m_told; }
    /// The whole reason in one line: "<what> (<object>): <detail>", or the detail alone.
    QString text() const
    {
        if (m_what.isEmpty())
            return m_detail;
        QString text = m_what;
        if (!m_object.isEmpty())
            text += QStringLiteral(" (%1)").arg(m_object);
        if (!m_detail.isEmpty())
            text += QStringLiteral(": ") + m_detail;
        return text;
    }

private:
    Kind m_kind = Kind::Other;
    QString m_what;
    QString m_object;
    QString m_detail;
    std::error_code m_system;
    QStringList m_values;
    QString m_told;
};
