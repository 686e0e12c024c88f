// Writes the icons the three programs paint, at the sizes of the desktop's icon theme, as the
// theme lays them out: OUTDIR/hicolor/<size>x<size>/apps/<id>.png.

#include "configmanager/ui/quorrelicon.h"
#include "mapmixer/ui/rondelayicon.h"
#include "stats/ui/tolvaneicon.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char **argv)
{
    // Painted without a display, on the build machine.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-icons OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const PaintedIcon icons[] = {TolvaneIcon(), QuorrelIcon(), RondelayIcon()};
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(out).arg(size);
        if (!QDir().mkpath(folder)) {
            std::fprintf(stderr, "make-icons: cannot create %s\n", qPrintable(folder));
            return 1;
        }
        for (const PaintedIcon &icon : icons) {
            const QString file = QStringLiteral("%1/%2.png").arg(folder, icon.desktopId());
            if (!icon.image(size).save(file, "PNG")) {
                std::fprintf(stderr, "make-icons: cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
    }
    return 0;
}
