// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A map list, as a user may type or paste it into Rondelay's list, through Save (the text of the
// map cycle file, the file written and read back as the viewer shows it) and Shuffle. Checked:
// the file holds every entry of the list once, in order, each on its own line, and nothing else;
// the list after a save is the file's entries; a shuffle keeps every entry and its progress
// counts up to its maximum one step at a time.

#include "fuzz/fuzzsupport.h"
#include "mapmixer/core/maplist.h"
#include "mapmixer/core/randomsource.h"
#include "platform/files/filestore.h"

#include <QDir>

#include <algorithm>

namespace {

const QChar cr = QChar(13);
const QChar lf = QChar(10);

QString modFolder()
{
    static const QString folder = [] {
        Fuzz::startApplication();
        const QString made = Fuzz::scratchFolder() + QStringLiteral("/cstrike");
        Fuzz::require(QDir().mkpath(made), "the mod folder is made");
        return made;
    }();
    return folder;
}

/// The list's entries: the pieces between CRs, LF belonging to none, empty pieces no entry.
QStringList entriesOf(const QString &list)
{
    QStringList entries;
    QString entry;
    for (const QChar c : list) {
        if (c == lf)
            continue;
        if (c != cr) {
            entry += c;
            continue;
        }
        if (!entry.isEmpty())
            entries << entry;
        entry.clear();
    }
    if (!entry.isEmpty())
        entries << entry;
    return entries;
}

/// What the mixer's list gives of a text typed or pasted into it: a CR between lines.
QString asTyped(const QString &text)
{
    QString list = text;
    list.replace(QStringLiteral("\r\n"), QString(cr));
    list.replace(lf, cr);
    list.replace(QChar::LineSeparator, cr);
    list.replace(QChar::ParagraphSeparator, cr);
    return list;
}

void checkSave(const QString &list)
{
    const QStringList entries = entriesOf(list);
    const MapList::SaveContent content = MapList::saveContent(list);
    const QString context = Fuzz::shownText(list);

    QString listAfter;
    QByteArray file;
    bool namesAMap = false;
    for (const QString &entry : entries) {
        listAfter += entry + cr;
        file += entry.toLocal8Bit() + "\r\n";
        namesAMap = namesAMap || !entry.trimmed().isEmpty();
    }
    Fuzz::require(content.bytes == file,
                  "the file holds each entry once, in order, on its own line", context);
    Fuzz::require(content.listText == listAfter, "the list after a save is the file's entries",
                  context);
    Fuzz::require(content.namesAMap == namesAMap, "a list names a map when an entry is not blank",
                  context);
    const MapList::SaveContent again = MapList::saveContent(content.listText);
    Fuzz::require(again.bytes == content.bytes && again.listText == content.listText,
                  "saving the saved list changes nothing", context);

    FileStore files;
    const Result<> saved = MapList::save(modFolder(), content, files);
    Fuzz::require(saved.ok(), "the map cycle file is written", saved.reason());
    const Result<QString> loaded = MapList::loadMapCycle(modFolder(), files);
    Fuzz::require(loaded.ok(), "the map cycle file reads back", loaded.reason());
    QStringList lines = loaded->split(QStringLiteral("\r\n"));
    Fuzz::require(lines.takeLast().isEmpty(), "the file ends with a line end", context);
    if (entries.isEmpty())
        lines.clear();
    Fuzz::require(lines == entries, "the file reads back as the list's entries", context);
}

void checkShuffle(const QString &list, QByteArrayView seed)
{
    double clock = 0;
    for (const char c : seed)
        clock = clock * 256 + static_cast<unsigned char>(c);
    RandomSource random([&clock] { return clock += 0.001; });
    int last = -1;
    int maximum = -1;
    const QString mixed = MapList::shuffle(list, random, [&](int value, int most) {
        Fuzz::require(value == last + 1, "the progress counts one step at a time");
        Fuzz::require(maximum < 0 || most == maximum, "the progress keeps its maximum");
        Fuzz::require(value <= most, "the progress stays within its maximum");
        last = value;
        maximum = most;
    });
    const QStringList pieces = MapList::pieces(list);
    const QStringList before = entriesOf(list);
    if (pieces.isEmpty()) {
        Fuzz::require(mixed.isEmpty() && last < 0, "an empty list shuffles to nothing");
        return;
    }
    const int exchanges = maximum - int(pieces.size());
    Fuzz::require(exchanges >= 1 && exchanges <= 120, "a shuffle makes 1 to 120 exchanges",
                  QString::number(exchanges));
    Fuzz::require(last == maximum, "the progress ends at its maximum");
    Fuzz::require(before.isEmpty() ? mixed.isEmpty() : mixed.endsWith(cr),
                  "after a shuffle every entry is followed by a CR", Fuzz::shownText(mixed));
    QStringList after = entriesOf(mixed);
    QStringList sortedBefore = before;
    std::sort(after.begin(), after.end());
    std::sort(sortedBefore.begin(), sortedBefore.end());
    Fuzz::require(after == sortedBefore, "a shuffle keeps every entry", Fuzz::shownText(list));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView input = Fuzz::bytes(data, size);
    const QString text = QString::fromUtf8(input);
    checkSave(text);
    checkSave(asTyped(text));
    checkShuffle(asTyped(text), input.first(std::min<qsizetype>(input.size(), 6)));
    return 0;
}
