// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <utility>

/**
 * Why an operation failed: a kind that callers decide on (try again, wait, tell the user to free
 * some disk), what was being done, the object it was done to (a file, a database) and the
 * detail in the words of the system or the engine. Callers never look into the texts; the
 * message for people is built from the parts.
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

    Kind kind() const { return m_kind; }
    const QString &what() const { return m_what; }
    const QString &object() const { return m_object; }
    const QString &detail() const { return m_detail; }
    /// The whole reason in one line: "<what> (<object>): <detail>", or the detail alone.
    QString text() const
    {
        if (m_what.isEmpty())
            return m_detail;
        return m_object.isEmpty() ? m_what + QStringLiteral(": ") + m_detail
                                  : QStringLiteral("%1 (%2): %3").arg(m_what, m_object, m_detail);
    }

private:
    Kind m_kind = Kind::Other;
    QString m_what;
    QString m_object;
    QString m_detail;
};
