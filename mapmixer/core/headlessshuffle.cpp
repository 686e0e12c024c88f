// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mapmixer/core/headlessshuffle.h"

#include "mapmixer/core/maplist.h"
#include "mapmixer/core/randomsource.h"
#include "mapmixer/core/rondelaycommandline.h"
#include "mapmixer/core/rondelaysettings.h"

#include <QTextStream>

Result<QStringList> HeadlessShuffle::run(const RondelayCommandLine &line, SettingsStore &settings,
                                         FileStore &files, RandomSource &random)
{
    using Failure = Result<QStringList>;
    QString folder = line.folder;
    if (folder.isEmpty()) {
        folder = RondelaySettings(settings, line.modName).value(RondelaySettings::Key::Dossier);
        if (folder.isEmpty())
            return Failure::failure(QStringLiteral("no folder is stored for the mod \"%1\"; start "
                                                   "\"rondelay %1\" once on a desktop, or give "
                                                   "--folder DIR")
                                        .arg(line.modName));
    }
    const QString modFolder = MapList::modFolderPath(folder);
    const auto retrieved = MapList::retrieve(modFolder);
    if (!retrieved)
        return Failure::failure(retrieved.failure());
    QString list = *retrieved;
    for (int i = 0; i < line.times; ++i)
        list = MapList::shuffle(list, random);

    const auto content = MapList::saveContent(list);
    if (const auto written = MapList::save(modFolder, content, files); !written)
        return Failure::failure(QStringLiteral("cannot write %1: %2")
                                    .arg(MapList::mapCyclePath(modFolder), written.reason()));
    QStringList entries = MapList::pieces(content.listText);
    entries.removeAll(QString());
    return entries;
}

int HeadlessShuffle::report(const Result<QStringList> &cycle, QTextStream &out, QTextStream &err)
{
    if (!cycle) {
        err << "rondelay: " << cycle.reason() << "\n";
        err.flush();
        return 1;
    }
    for (const auto &entry : *cycle)
        out << entry << "\n";
    out.flush();
    return 0;
}
