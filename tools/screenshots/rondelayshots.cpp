#include "tools/screenshots/shots.h"

#include "mapmixer/core/maplist.h"
#include "mapmixer/ui/mixfrm.h"
#include "platform/speech/silentspeech.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

bool writeSampleMod(const QString &mod)
{
    if (!QDir().mkpath(mod + QStringLiteral("/maps")))
        return false;
    const QStringList maps = {"de_dust2",   "cs_office", "de_aztec",   "cs_italy", "de_nuke",
                              "de_inferno", "as_oilrig", "cs_assault", "de_train", "aim_map"};
    for (const auto &name : maps) {
        QFile map(mod + QStringLiteral("/maps/") + name + QStringLiteral(".bsp"));
        if (!map.open(QIODevice::WriteOnly))
            return false;
    }
    QFile cycle(MapList::mapCyclePath(mod));
    if (!cycle.open(QIODevice::WriteOnly))
        return false;
    cycle.write("de_dust2\r\nde_aztec\r\ncs_office\r\nde_nuke\r\ncs_italy\r\n");
    return true;
}

int grabTo(QWidget &window, const QString &path)
{
    window.repaint();
    return window.grab().save(path) ? 1 : 0;
}

} // namespace

int renderRondelayWindows(const QString &folder)
{
    QTemporaryDir dir;
    const QString mod = dir.filePath(QStringLiteral("cstrike"));
    if (!dir.isValid() || !writeSampleMod(mod))
        return 0;

    MixFrm window(QStringLiteral("cstrike"), mod, new SilentSpeech(SilentSpeech::Delay::None));
    window.show();
    QCoreApplication::processEvents();
    int written = grabTo(window, folder + QStringLiteral("/rondelay-mixfrm.png"));
    window.Command3_Click();
    window.Command4_Click();
    written += grabTo(window, folder + QStringLiteral("/rondelay-mixfrm-wide.png"));
    return written;
}
