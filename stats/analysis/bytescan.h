// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

/**
 * Searches for one or two bytes over the short distances of a log line, and compares short texts. A
 * call into the C library's memchr costs more than the dozens of bytes between two quotes take to
 * scan, and a busy day holds a million lines with half a dozen such searches each.
 */
namespace ByteScan {

#ifdef __SSE2__
/// The first hit of \a match (a function of a block of sixteen bytes giving a mask of the
/// bytes that hit) in [p, end), which holds at least sixteen bytes; nullptr when none hits.
template<typename Match>
inline const char *findBlocks(const char *p, const char *end, Match &&match)
{
    for (; end - p > 16; p += 16) {
        if (const unsigned mask = match(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p))))
            return p + std::countr_zero(mask);
    }
    // The last block ends where the range does and overlaps the one before: the bytes already
    // searched are masked out, and nothing is read beyond the range. A byte at a time, the ten
    // bytes left of a line on average cost as much as the whole rest of it.
    const char *last = end - 16;
    const unsigned mask =
        match(_mm_loadu_si128(reinterpret_cast<const __m128i *>(last))) >> (p - last);
    return mask ? p + std::countr_zero(mask) : nullptr;
}
#endif

/// The first \a c in [p, end), or nullptr.
inline const char *find(const char *p, const char *end, char c)
{
#ifdef __SSE2__
    if (end - p >= 16) {
        const __m128i needle = _mm_set1_epi8(c);
        return findBlocks(p, end, [needle](__m128i block) {
            return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, needle)));
        });
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
    if (end - p >= 16) {
        const __m128i first = _mm_set1_epi8(a);
        const __m128i second = _mm_set1_epi8(b);
        return findBlocks(p, end, [first, second](__m128i block) {
            return unsigned(_mm_movemask_epi8(
                _mm_or_si128(_mm_cmpeq_epi8(block, first), _mm_cmpeq_epi8(block, second))));
        });
    }
#endif
    for (; p < end; ++p) {
        if (*p == a || *p == b)
            return p;
    }
    return nullptr;
}

/// The first \a a or \a b in [p, end), or nullptr; \a seen becomes true when \a c occurs in
/// front of it. One pass through a line finds its end and tells whether it holds the rare byte
/// that needs a second look.
inline const char *findEitherNoting(const char *p, const char *end, char a, char b, char c,
                                    bool &seen)
{
#ifdef __SSE2__
    if (end - p >= 16) {
        const __m128i first = _mm_set1_epi8(a);
        const __m128i second = _mm_set1_epi8(b);
        const __m128i third = _mm_set1_epi8(c);
        unsigned noted = 0;
        auto masks = [&](const char *at, unsigned &stop, unsigned &other) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
            stop = unsigned(_mm_movemask_epi8(
                _mm_or_si128(_mm_cmpeq_epi8(block, first), _mm_cmpeq_epi8(block, second))));
            other = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, third)));
        };
        unsigned stop;
        unsigned other;
        for (; end - p > 16; p += 16) {
            masks(p, stop, other);
            if (stop) {
                seen = seen || noted != 0 || (other & ((stop & -stop) - 1)) != 0;
                return p + std::countr_zero(stop);
            }
            noted |= other;
        }
        // As in findBlocks: a last block that ends with the range, the bytes already searched
        // masked out.
        const char *last = end - 16;
        masks(last, stop, other);
        const auto shift = unsigned(p - last);
        stop >>= shift;
        other >>= shift;
        if (stop)
            other &= (stop & -stop) - 1;
        seen = seen || noted != 0 || other != 0;
        return stop ? p + std::countr_zero(stop) : nullptr;
    }
#endif
    for (; p < end; ++p) {
        if (*p == a || *p == b)
            return p;
        seen = seen || *p == c;
    }
    return nullptr;
}

/// The eight bytes at \a p as one word.
inline std::uint64_t load8(const char *p)
{
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

/// The \a n bytes at \a p (at most sixteen) as two words, read without a call into the C library
/// and without reading beyond them: texts of the same length are equal when their words are.
inline std::array<std::uint64_t, 2> packShort(const char *p, std::size_t n)
{
    // Two loads that overlap where the text is shorter than both together.
    if (n >= 8)
        return {load8(p), load8(p + n - 8)};
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    if (n >= 4) {
        std::memcpy(&a, p, 4);
        std::memcpy(&b, p + n - 4, 4);
    } else if (n >= 2) {
        std::memcpy(&a, p, 2);
        std::memcpy(&b, p + n - 2, 2);
    } else if (n == 1) {
        a = static_cast<unsigned char>(*p);
    }
    return {a | std::uint64_t(b) << 32, 0};
}

} // namespace ByteScan
