// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <optional>
#include <utility>

/**
 * What an operation that can fail gives back: its value, or the reason it failed, naming the
 * file or the thing concerned. One way to fail for every layer, from the file store to the
 * windows, instead of a flag here, an out-parameter there and an error string kept aside.
 */
template<typename T = void>
class [[nodiscard]] Result
{
public:
    Result(T value) : m_value(std::move(value)) { }
    static Result failure(QString reason) { return Result(std::nullopt, std::move(reason)); }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const & { return *m_value; }
    T &value() & { return *m_value; }
    T &&value() && { return std::move(*m_value); }
    const T &operator*() const & { return *m_value; }
    const T *operator->() const { return &*m_value; }
    /// Why it failed; empty when it did not.
    const QString &reason() const { return m_reason; }

private:
    Result(std::nullopt_t, QString reason) : m_reason(std::move(reason)) { }

    std::optional<T> m_value;
    QString m_reason;
};

/** The same for an operation that gives back nothing but success. */
template<>
class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    static Result failure(QString reason)
    {
        Result result;
        result.m_failed = true;
        result.m_reason = std::move(reason);
        return result;
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString &reason() const { return m_reason; }

private:
    bool m_failed = false;
    QString m_reason;
};
