#include "logparser.h"

#include <cstring>
#include <string_view>

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

// std::string_view's search is memchr-driven, several times faster than a byte-by-byte scan on
// the million lines of a busy server's day.
qsizetype find(QByteArrayView line, std::string_view what, qsizetype from = 0)
{
    if (from >= line.size())
        return -1;
    const auto at =
        std::string_view(line.data(), std::size_t(line.size())).find(what, std::size_t(from));
    return at == std::string_view::npos ? -1 : qsizetype(at);
}

qsizetype find(QByteArrayView line, char what, qsizetype from = 0)
{
    if (from >= line.size())
        return -1;
    const void *at = std::memchr(line.data() + from, what, std::size_t(line.size() - from));
    return at ? static_cast<const char *>(at) - line.data() : -1;
}

/// The name of the first player written in the line; nothing when "<" is missing or lies in
/// front of the name's opening quote.
std::optional<QByteArrayView> firstName(QByteArrayView line)
{
    const qsizetype q = find(line, quote);
    const qsizetype start = q >= 0 ? q + 1 : 0;
    const qsizetype end = find(line, '<');
    if (end < 0 || end < start)
        return std::nullopt;
    return cut(line, start, end - start);
}

} // namespace

std::optional<RawLogEvent> parseLogLineBytes(QByteArrayView line)
{
    RawLogEvent event;
    std::optional<QByteArrayView> first;
    auto needFirst = [&]() {
        if (!first)
            first = firstName(line);
        return first.has_value();
    };

    if (const qsizetype killed = find(line, "killed"); killed >= 0) {
        if (!needFirst())
            return std::nullopt;
        event.Actor = *first;
        const qsizetype victimStart = killed + 8;
        const qsizetype victimEnd = find(line, '<', victimStart);
        event.Victim = cut(line, victimStart, victimEnd >= 0 ? victimEnd - victimStart : 0);
        const qsizetype with = find(line, "with");
        const qsizetype weaponStart = (with >= 0 ? with : -1) + 6;
        const qsizetype weaponEnd = find(line, quote, weaponStart + 1);
        if (weaponEnd < 0)
            return std::nullopt;
        event.Weapon = cut(line, weaponStart, weaponEnd - weaponStart);
    }
    if (find(line, "suicide") >= 0) {
        if (!needFirst())
            return std::nullopt;
        event.Victim = *first;
        event.Weapon = "suicide";
    }
    static constexpr std::pair<std::string_view, QByteArrayView> objectives[] = {
        {"Rescued_A_Hostage", "Hostage"},
        {"Planted_The_Bomb", "PoseBombe"},
        {"Defused_The_Bomb", "DifuseBombe"},
    };
    for (const auto &[trigger, weapon] : objectives) {
        if (find(line, trigger) >= 0) {
            if (!needFirst())
                return std::nullopt;
            event.Actor = *first;
            event.Weapon = weapon;
        }
    }
    return event;
}

std::optional<LogEvent> ParseLogLine(const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    const auto raw = parseLogLineBytes(bytes);
    if (!raw)
        return std::nullopt;
    auto text = [](QByteArrayView v) {
        return QString::fromUtf8(v);
    };
    return LogEvent {text(raw->Actor), text(raw->Victim), text(raw->Weapon)};
}

namespace {

// Positions in a name count characters, not UTF-16 units: a cut inside a surrogate pair would
// leave half a character, which no database keeps, and the player would get a new row each run.
qsizetype unitsOfChars(QStringView text, qsizetype characters)
{
    qsizetype units = 0;
    while (characters > 0 && units < text.size()) {
        units += text[units].isHighSurrogate() && units + 1 < text.size()
                && text[units + 1].isLowSurrogate()
            ? 2
            : 1;
        --characters;
    }
    return units;
}

QString withoutLastChar(QStringView text)
{
    qsizetype end = text.size();
    if (end > 0)
        --end;
    if (end > 0 && text[end].isLowSurrogate() && text[end - 1].isHighSurrogate())
        --end;
    return text.first(end).toString();
}

} // namespace

QString CleanPlayerName(const QString &name)
{
    QString cleaned = name;
    if (cleaned.startsWith(QLatin1Char('(')))
        cleaned = cleaned.mid(unitsOfChars(cleaned, 3));
    // Keeps what stands in front of the "(" but for its last character (the blank).
    if (const qsizetype p = cleaned.indexOf(QLatin1Char('(')); p >= 0)
        cleaned = withoutLastChar(QStringView(cleaned).first(p));
    if (cleaned.startsWith(QLatin1String("[P")))
        cleaned = cleaned.mid(unitsOfChars(cleaned, 5));
    return cleaned;
}
