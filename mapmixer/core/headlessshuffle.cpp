#include "mapmixer/core/headlessshuffle.h"

#include "mapmixer/core/commandline.h"
#include "mapmixer/core/maplist.h"
#include "mapmixer/core/modsettings.h"
#include "mapmixer/core/randomsource.h"
#include "platform/files/filestore.h"
#include "platform/settings/settingsstore.h"

#include <QFileInfo>
#include <QTextStream>

int HeadlessShuffle::run(const CommandLine &line, const SettingsStore &settings, FileStore &files,
                         RandomSource &random, QTextStream &out, QTextStream &err)
{
    QString folder = line.folder;
    if (folder.isEmpty()) {
        folder = ModSettings::storedFolder(settings, line.modName);
        if (folder.isEmpty()) {
            err << "rondelay: no folder is stored for the mod \"" << line.modName
                << "\"; start \"rondelay " << line.modName
                << "\" once on a desktop, or give --folder DIR\n";
            err.flush();
            return 1;
        }
    }
    const QString modFolder = MapList::modFolderPath(folder);
    const QString maps = MapList::mapsFolder(modFolder);
    if (!QFileInfo(maps).isDir()) {
        err << "rondelay: the maps folder " << maps << " does not exist\n";
        err.flush();
        return 1;
    }
    QString list = MapList::retrieve(modFolder);
    if (list.isEmpty()) {
        err << "rondelay: no map (.bsp file) in " << maps << "\n";
        err.flush();
        return 1;
    }
    for (int i = 0; i < line.times; ++i)
        list = MapList::shuffle(list, random);

    MapList::SaveContent saved;
    QString error;
    if (!MapList::save(modFolder, list, files, &saved, &error)) {
        err << "rondelay: cannot write " << MapList::mapCyclePath(modFolder) << ": " << error
            << "\n";
        err.flush();
        return 1;
    }
    for (const auto &entry : MapList::pieces(saved.listText)) {
        if (!entry.isEmpty())
            out << entry << "\n";
    }
    out.flush();
    return 0;
}
