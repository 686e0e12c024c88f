// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/failure.h"

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
    static Result failure(QString reason) { return failure(Failure(std::move(reason))); }
    static Result failure(Failure why) { return Result(std::nullopt, std::move(why)); }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const & { return *m_value; }
    T &value() & { return *m_value; }
    T &&value() && { return std::move(*m_value); }
    const T &operator*() const & { return *m_value; }
    const T *operator->() const { return &*m_value; }
    /// Why it failed, in one line, as a layer told it for people or else from its parts; empty
    /// when it did not.
    QString reason() const
    {
        return m_failure.told().isEmpty() ? m_failure.text() : m_failure.told();
    }
    /// Why it failed, in parts; of no kind and empty when it did not.
    const Failure &failure() const { return m_failure; }

private:
    Result(std::nullopt_t, Failure why) : m_failure(std::move(why)) { }

    std::optional<T> m_value;
    Failure m_failure;
};

/** The same for an operation that gives back nothing but success. */
template<>
class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    static Result failure(QString reason) { return failure(Failure(std::move(reason))); }
    static Result failure(Failure why)
    {
        Result result;
        result.m_failed = true;
        result.m_failure = std::move(why);
        return result;
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    QString reason() const
    {
        return m_failure.told().isEmpty() ? m_failure.text() : m_failure.told();
    }
    const Failure &failure() const { return m_failure; }

private:
    bool m_failed = false;
    Failure m_failure;
};
