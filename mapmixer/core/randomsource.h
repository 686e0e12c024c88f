// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

#include <functional>

/**
 * The uniform random source of the shuffle, re-seeded from the time of day before every draw.
 *
 * Re-seeding folds the clock into the generator's state instead of replacing it, so a run of
 * re-seeds and draws within one tick of the clock still gives different values.
 */
class RandomSource
{
public:
    /// Seconds since midnight, with the clock's fraction.
    using Clock = std::function<double()>;

    explicit RandomSource(Clock clock = {});
    virtual ~RandomSource() = default;

    virtual void reseed();
    /// A value r with 0 <= r < 1.
    virtual double draw();

    static double secondsSinceMidnight();

private:
    Clock m_clock;
    quint64 m_state;
};
