// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mapmixer/core/randomsource.h"

#include <QTime>

#include <bit>

namespace {

quint64 mix(quint64 z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

} // namespace

RandomSource::RandomSource(Clock clock)
    : m_clock(clock ? std::move(clock) : Clock(&RandomSource::secondsSinceMidnight)),
      m_state(0x9E3779B97F4A7C15ULL)
{ }

void RandomSource::reseed()
{
    const auto clockBits = std::bit_cast<quint64>(m_clock());
    m_state = std::rotl(m_state, 29) ^ mix(clockBits);
}

double RandomSource::draw()
{
    m_state += 0x9E3779B97F4A7C15ULL;
    return double(mix(m_state) >> 11) * 0x1.0p-53;
}

double RandomSource::secondsSinceMidnight()
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}
