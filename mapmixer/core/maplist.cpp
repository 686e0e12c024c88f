// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mapmixer/core/maplist.h"

#include "mapmixer/core/randomsource.h"
#include "platform/files/filestore.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const QChar cr = QChar(13);
const QChar lf = QChar(10);

int drawBelow(RandomSource &random, int count)
{
    random.reseed();
    const int value = int(std::floor(random.draw() * count));
    return std::min(value, count - 1);
}

} // namespace

QString MapList::modFolderPath(const QString &storedFolder)
{
    QString path = storedFolder;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString MapList::mapCyclePath(const QString &modFolder)
{
    return modFolder + QStringLiteral("/mapcycle.txt");
}

QString MapList::mapsFolder(const QString &modFolder)
{
    return modFolder + QStringLiteral("/maps");
}

Result<QString> MapList::retrieve(const QString &modFolder)
{
    const QString maps = mapsFolder(modFolder);
    if (!QFileInfo(maps).isDir())
        return Result<QString>::failure(
            QStringLiteral("the maps folder %1 does not exist").arg(maps));
    // Files only: no folders, no hidden files, no sockets or devices; ".BSP" counts as well.
    QDirIterator search(maps, {QStringLiteral("*.bsp")}, QDir::Files);
    QStringList names;
    while (search.hasNext())
        names << search.nextFileInfo().fileName().chopped(4);
    if (names.isEmpty())
        return Result<QString>::failure(QStringLiteral("no map (.bsp file) in %1").arg(maps));
    return names.join(cr);
}

QStringList MapList::pieces(const QString &text)
{
    QString list = text;
    list.remove(lf);
    if (list.isEmpty())
        return {};
    return list.split(cr);
}

QString MapList::shuffle(const QString &text, RandomSource &random, const Progress &progress)
{
    QStringList list = pieces(text);
    const int n = int(list.size());
    if (n == 0)
        return {};

    random.reseed();
    const int k = std::min(int(std::floor(random.draw() * 120)), 119);
    const int maximum = k + n + 1;
    const Progress report = progress ? progress : Progress([](int, int) {});
    int value = 0;
    report(value, maximum);

    for (int exchange = 0; exchange <= k; ++exchange) {
        const int a = drawBelow(random, n);
        const int b = drawBelow(random, n);
        list.swapItemsAt(a, b);
        report(++value, maximum);
    }

    QString result;
    for (const auto &piece : std::as_const(list)) {
        if (!piece.isEmpty())
            result += piece + cr;
        report(++value, maximum);
    }
    return result;
}

MapList::SaveContent MapList::saveContent(const QString &text)
{
    SaveContent content;
    for (const auto &piece : pieces(text)) {
        if (piece.isEmpty())
            continue;
        content.listText += piece + cr;
        content.bytes += piece.toLocal8Bit() + "\r\n";
        if (!content.namesAMap)
            content.namesAMap =
                std::any_of(piece.cbegin(), piece.cend(), [](QChar c) { return !c.isSpace(); });
    }
    return content;
}

Result<> MapList::save(const QString &modFolder, const SaveContent &content, FileStore &files)
{
    return files.writeAtomically(mapCyclePath(modFolder), content.bytes);
}

Result<QString> MapList::loadMapCycle(const QString &modFolder, const FileStore &files)
{
    const auto bytes = files.readAll(mapCyclePath(modFolder));
    if (!bytes)
        return Result<QString>::failure(bytes.failure());
    return QString::fromLocal8Bit(*bytes);
}
