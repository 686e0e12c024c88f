// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/analysis/logtext.h"

#include <cstring>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

bool LogText::endsClosed(QByteArrayView tail)
{
    qsizetype end = tail.size();
    while (end > 0 && isBlank(tail[end - 1]))
        --end;
    qsizetype start = end;
    while (start > 0 && tail[start - 1] != '\n' && tail[start - 1] != '\r')
        --start;
    return tail.sliced(start, end - start).endsWith(": Log file closed");
}

qsizetype LogText::afterLastLineEnd(QByteArrayView bytes)
{
    for (qsizetype i = bytes.size(); i > 0; --i) {
        if (bytes[i - 1] == '\n' || bytes[i - 1] == '\r')
            return i;
    }
    return -1;
}

qsizetype LogText::firstLineEnd(QByteArrayView bytes)
{
    const char *p = bytes.data();
    const auto size = std::size_t(bytes.size());
    const auto *lf = static_cast<const char *>(std::memchr(p, '\n', size));
    const auto *cr =
        static_cast<const char *>(std::memchr(p, '\r', lf ? std::size_t(lf - p) : size));
    const char *end = cr ? cr : lf;
    return end ? end - p : -1;
}

qsizetype LogText::lineCount(QByteArrayView bytes)
{
    qsizetype count = 0;
    forEachLine(bytes, [&count](QByteArrayView) { ++count; });
    return count;
}

bool LogText::isValidUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        // Log text is nearly all ASCII: skip it eight bytes at a time.
        if (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        char32_t min;
        char32_t cp;
        if ((c & 0xE0) == 0xC0) {
            extra = 1, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

QByteArrayView LogText::withoutApostrophes(QByteArrayView line, QByteArray &buffer)
{
    const char *p = line.data();
    const char *end = p + line.size();
    const char *apostrophe = ByteScan::find(p, end, '\'');
    if (!apostrophe)
        return line;
    // Chat is full of them ("don't", "I'm"): the pieces between them are copied whole, into
    // room that stays from one line to the next.
    if (buffer.size() < line.size())
        buffer.resize(line.size());
    char *out = buffer.data();
    while (apostrophe) {
        std::memcpy(out, p, std::size_t(apostrophe - p));
        out += apostrophe - p;
        p = apostrophe + 1;
        apostrophe = ByteScan::find(p, end, '\'');
    }
    std::memcpy(out, p, std::size_t(end - p));
    out += end - p;
    return QByteArrayView(buffer.constData(), out - buffer.data());
}
