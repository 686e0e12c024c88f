// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/analysis/logparser.h"

#include "stats/analysis/bytescan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

constexpr char quote = '"';

// Positions below are 0-based; the rules were written with 1-based positions where a failed
// search gives 0, which is why a missing "<" or closing quote turns into a negative length.
QByteArrayView cut(QByteArrayView line, qsizetype start, qsizetype length)
{
    if (start >= line.size() || length <= 0)
        return {};
    return line.sliced(start, std::min(length, line.size() - start));
}

qsizetype find(QByteArrayView line, char what, qsizetype from = 0)
{
    if (from >= line.size())
        return -1;
    const char *at = ByteScan::find(line.data() + from, line.data() + line.size(), what);
    return at ? at - line.data() : -1;
}

/// The name of the first player written in the line; nothing when "<" is missing or lies in
/// front of the name's opening quote.
std::optional<QByteArrayView> firstName(QByteArrayView line)
{
    // One search for whichever of the two comes first, rather than two from the line's start.
    const char *begin = line.data();
    const char *end = begin + line.size();
    const char *first = ByteScan::findEither(begin, end, quote, '<');
    if (!first)
        return std::nullopt;
    if (*first == '<') {
        // Without a quote in front, the name runs from the line's start; a quote behind the
        // "<" would start a name that ends before it begins.
        if (ByteScan::find(first + 1, end, quote))
            return std::nullopt;
        return cut(line, 0, first - begin);
    }
    const char *less = ByteScan::find(first + 1, end, '<');
    if (!less)
        return std::nullopt;
    return cut(line, first + 1 - begin, less - first - 1);
}

} // namespace

namespace {

/// Where each word of the log vocabulary first occurs in a line, or -1. One pass finds them all:
/// six separate searches would read a busy server's million lines six times over.
struct Words
{
    enum Word { Killed, Suicide, Rescued, Planted, Defused, With, Count };
    std::array<qsizetype, Count> at {-1, -1, -1, -1, -1, -1};

    explicit Words(QByteArrayView line);
    /// Notes the word that starts at \a position, if any starts there.
    inline void check(QByteArrayView line, qsizetype position);

private:
    static constexpr std::array<std::string_view, Count> words = {
        "killed", "suicide", "Rescued_A_Hostage", "Planted_The_Bomb", "Defused_The_Bomb", "with"};
};

inline void Words::check(QByteArrayView line, qsizetype position)
{
    Word word;
    switch (line[position]) {
    case 'k':
        word = Killed;
        break;
    case 's':
        word = Suicide;
        break;
    case 'R':
        word = Rescued;
        break;
    case 'P':
        word = Planted;
        break;
    case 'D':
        word = Defused;
        break;
    case 'w':
        word = With;
        break;
    default:
        return;
    }
    const std::string_view text = words[std::size_t(word)];
    if (at[std::size_t(word)] >= 0 || line.size() - position < qsizetype(text.size()))
        return;
    // Every word is at least four letters long: the first four decide nearly every time.
    const char *p = line.data() + position;
    std::uint32_t head;
    std::uint32_t wanted;
    std::memcpy(&head, p, 4);
    std::memcpy(&wanted, text.data(), 4);
    if (head == wanted && std::equal(text.begin() + 4, text.end(), p + 4))
        at[std::size_t(word)] = position;
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) void scanWide(Words &words, QByteArrayView line)
{
    const char *data = line.data();
    const __m256i k = _mm256_set1_epi8('k'), s = _mm256_set1_epi8('s'), r = _mm256_set1_epi8('R');
    const __m256i p = _mm256_set1_epi8('P'), d = _mm256_set1_epi8('D'), w = _mm256_set1_epi8('w');
    const __m256i i = _mm256_set1_epi8('i'), u = _mm256_set1_epi8('u'), e = _mm256_set1_epi8('e');
    const __m256i l = _mm256_set1_epi8('l');
    auto starts = [&](qsizetype at) __attribute__((target("avx2")))
    {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(data + at));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(data + at + 1));
        // killed and with, suicide, Rescued and Defused, Planted: by their first two letters.
        const __m256i ki =
            _mm256_and_si256(_mm256_or_si256(_mm256_cmpeq_epi8(a, k), _mm256_cmpeq_epi8(a, w)),
                             _mm256_cmpeq_epi8(b, i));
        const __m256i su = _mm256_and_si256(_mm256_cmpeq_epi8(a, s), _mm256_cmpeq_epi8(b, u));
        const __m256i re =
            _mm256_and_si256(_mm256_or_si256(_mm256_cmpeq_epi8(a, r), _mm256_cmpeq_epi8(a, d)),
                             _mm256_cmpeq_epi8(b, e));
        const __m256i pl = _mm256_and_si256(_mm256_cmpeq_epi8(a, p), _mm256_cmpeq_epi8(b, l));
        return unsigned(_mm256_movemask_epi8(
            _mm256_or_si256(_mm256_or_si256(ki, su), _mm256_or_si256(re, pl))));
    };
    qsizetype at = 0;
    for (; at + 33 <= line.size(); at += 32) {
        for (unsigned mask = starts(at); mask != 0; mask &= mask - 1)
            words.check(line, at + qsizetype(std::countr_zero(mask)));
    }
    // The positions left, in one last block that ends with the line and overlaps the one before;
    // those already looked at are masked out. (The last position cannot start a word: every
    // word is longer than one letter.)
    const qsizetype last = line.size() - 33;
    const qsizetype shift = at - last;
    for (unsigned mask = shift < 32 ? starts(last) >> shift : 0; mask != 0; mask &= mask - 1)
        words.check(line, at + qsizetype(std::countr_zero(mask)));
}

bool hasWide()
{
    static const bool wide = __builtin_cpu_supports("avx2");
    return wide;
}
#endif

Words::Words(QByteArrayView line)
{
    const qsizetype size = line.size();
#if defined(__x86_64__) && defined(__GNUC__)
    // Thirty-two positions at a time where the processor can; the program itself is built for
    // every x86-64, which guarantees sixteen.
    if (size >= 33 && hasWide()) {
        scanWide(*this, line);
        return;
    }
#endif
#ifdef __SSE2__
    if (size >= 17) {
        const __m128i k = _mm_set1_epi8('k'), s = _mm_set1_epi8('s'), r = _mm_set1_epi8('R');
        const __m128i p = _mm_set1_epi8('P'), d = _mm_set1_epi8('D'), w = _mm_set1_epi8('w');
        const __m128i i = _mm_set1_epi8('i'), u = _mm_set1_epi8('u'), e = _mm_set1_epi8('e');
        const __m128i l = _mm_set1_epi8('l');
        auto starts = [&](qsizetype at) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(line.data() + at));
            const __m128i b =
                _mm_loadu_si128(reinterpret_cast<const __m128i *>(line.data() + at + 1));
            const __m128i ki = _mm_and_si128(
                _mm_or_si128(_mm_cmpeq_epi8(a, k), _mm_cmpeq_epi8(a, w)), _mm_cmpeq_epi8(b, i));
            const __m128i su = _mm_and_si128(_mm_cmpeq_epi8(a, s), _mm_cmpeq_epi8(b, u));
            const __m128i re = _mm_and_si128(
                _mm_or_si128(_mm_cmpeq_epi8(a, r), _mm_cmpeq_epi8(a, d)), _mm_cmpeq_epi8(b, e));
            const __m128i pl = _mm_and_si128(_mm_cmpeq_epi8(a, p), _mm_cmpeq_epi8(b, l));
            return unsigned(
                _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(ki, su), _mm_or_si128(re, pl))));
        };
        qsizetype at = 0;
        for (; at + 17 <= size; at += 16) {
            for (unsigned mask = starts(at); mask != 0; mask &= mask - 1)
                check(line, at + qsizetype(std::countr_zero(mask)));
        }
        // As in scanWide: one last block that ends with the line.
        const qsizetype last = size - 17;
        for (unsigned mask = starts(last) >> (at - last); mask != 0; mask &= mask - 1)
            check(line, at + qsizetype(std::countr_zero(mask)));
        return;
    }
#endif
    for (qsizetype i = 0; i < size; ++i)
        check(line, i);
}

} // namespace

std::optional<LogEvent> ParseLogLine(QByteArrayView line)
{
    const Words words(line);
    LogEvent event;
    std::optional<QByteArrayView> first;
    auto needFirst = [&]() {
        if (!first)
            first = firstName(line);
        return first.has_value();
    };

    if (const qsizetype killed = words.at[Words::Killed]; killed >= 0) {
        if (!needFirst())
            return std::nullopt;
        event.Actor = *first;
        const qsizetype victimStart = killed + 8;
        const qsizetype victimEnd = find(line, '<', victimStart);
        event.Victim = cut(line, victimStart, victimEnd >= 0 ? victimEnd - victimStart : 0);
        const qsizetype weaponStart = words.at[Words::With] + 6;
        const qsizetype weaponEnd = find(line, quote, weaponStart + 1);
        if (weaponEnd < 0)
            return std::nullopt;
        event.Weapon = cut(line, weaponStart, weaponEnd - weaponStart);
    }
    if (words.at[Words::Suicide] >= 0) {
        if (!needFirst())
            return std::nullopt;
        event.Victim = *first;
        event.Weapon = "suicide";
    }
    static constexpr std::pair<Words::Word, QByteArrayView> objectives[] = {
        {Words::Rescued, "Hostage"},
        {Words::Planted, "PoseBombe"},
        {Words::Defused, "DifuseBombe"},
    };
    for (const auto &[word, weapon] : objectives) {
        if (words.at[word] >= 0) {
            if (!needFirst())
                return std::nullopt;
            event.Actor = *first;
            event.Weapon = weapon;
        }
    }
    return event;
}

namespace {

// A UTF-8 byte that continues a character rather than starting one.
bool continues(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Positions in a name count characters, not bytes: a cut inside a character would leave half
// of it, which no database keeps, and the player would get a new row each run.
QByteArrayView withoutFirstChars(QByteArrayView name, int characters)
{
    qsizetype i = 0;
    for (; characters > 0 && i < name.size(); --characters) {
        ++i;
        while (i < name.size() && continues(name[i]))
            ++i;
    }
    return name.sliced(i);
}

} // namespace

QByteArrayView CleanPlayerName(QByteArrayView name)
{
    if (name.startsWith('('))
        name = withoutFirstChars(name, 3);
    // Keeps what stands in front of the "(" but for its last character (the blank).
    if (const qsizetype p = name.indexOf('('); p >= 0) {
        qsizetype end = p > 0 ? p - 1 : 0;
        while (end > 0 && continues(name[end]))
            --end;
        name = name.first(end);
    }
    if (name.startsWith("[P"))
        name = withoutFirstChars(name, 5);
    return name;
}
