// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <bit>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

/**
 * Searches for one or two bytes over the short distances of a log line. A call into the C
 * library's memchr costs more than the dozens of bytes between two quotes take to scan, and a
 * busy day holds a million lines with half a dozen such searches each.
 */
namespace ByteScan {

/// The first \a c in [p, end), or nullptr.
inline const char *find(const char *p, const char *end, char c)
{
#ifdef __SSE2__
    const __m128i needle = _mm_set1_epi8(c);
    for (; end - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        if (const unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, needle))))
            return p + std::countr_zero(mask);
    }
#endif
    for (; p < end; ++p) {
        if (*p == c)
            return p;
    }
    return nullptr;
}

/// The first \a a or \a b in [p, end), or nullptr.
inline const char *findEither(const char *p, const char *end, char a, char b)
{
#ifdef __SSE2__
    const __m128i first = _mm_set1_epi8(a);
    const __m128i second = _mm_set1_epi8(b);
    for (; end - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i hits =
            _mm_or_si128(_mm_cmpeq_epi8(block, first), _mm_cmpeq_epi8(block, second));
        if (const unsigned mask = unsigned(_mm_movemask_epi8(hits)))
            return p + std::countr_zero(mask);
    }
#endif
    for (; p < end; ++p) {
        if (*p == a || *p == b)
            return p;
    }
    return nullptr;
}

} // namespace ByteScan
