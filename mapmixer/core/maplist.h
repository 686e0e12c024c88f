// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class FileStore;
class RandomSource;

/**
 * The three operations on the working list: the list is a text whose entries are the pieces
 * between CR characters, LF belonging to no entry. Retrieve builds it from a mod folder's maps,
 * shuffle mixes it, and save turns it into the bytes of the server's map cycle file.
 */
class MapList
{
public:
    /// Called with (value, maximum) when the count starts at 0 and after every step.
    using Progress = std::function<void(int value, int maximum)>;

    struct SaveContent
    {
        QByteArray bytes;
        QString listText;
        /// Whether an entry holds more than blanks: entries of spaces and tabs alone name no map
        /// a server could play, however many there are.
        bool namesAMap = false;
    };

    /// A stored folder as a path of this system: "\" becomes "/", no trailing separator.
    static QString modFolderPath(const QString &storedFolder);
    static QString mapCyclePath(const QString &modFolder);
    static QString mapsFolder(const QString &modFolder);

    /// The working list of the folder's maps: names without ".bsp", in the order the directory
    /// search returns them, joined by single CRs; fails when the maps folder is missing or holds
    /// no map.
    static Result<QString> retrieve(const QString &modFolder);
    /// The list text without LF, split at every CR; empty pieces kept; no piece for "".
    static QStringList pieces(const QString &text);
    /// The list mixed by 1 to 120 exchanges; every non-empty entry followed by one CR.
    static QString shuffle(const QString &text, RandomSource &random,
                           const Progress &progress = {});
    /// Every non-empty entry followed by CR LF, and the list as it stands after the save.
    static SaveContent saveContent(const QString &text);
    /// Writes \a content as the map cycle file in one replacement; on failure the old file stays.
    static Result<> save(const QString &modFolder, const SaveContent &content, FileStore &files);
    /// The map cycle file as text, or why it cannot be read (there may be none yet).
    static Result<QString> loadMapCycle(const QString &modFolder, const FileStore &files);
};
