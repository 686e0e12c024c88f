#include "configmanager/ui/quorrelicon.h"

#include "platform/windowkit/paintedicon.h"

#include <QPainter>

namespace {

void paintIcon(QPainter &painter)
{
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    const QColor silver(192, 192, 192);
    const QColor red(255, 0, 0);
    const QColor yellow(255, 255, 0);

    painter.fillRect(0, 0, 16, 16, black);

    // The sheet, its corner folded down.
    painter.fillRect(3, 1, 8, 14, white);
    painter.fillRect(11, 4, 2, 11, white);
    painter.fillRect(11, 1, 1, 3, silver);
    painter.fillRect(12, 3, 1, 1, silver);

    // Lines of settings, in the red of the windows' labels.
    painter.fillRect(5, 5, 6, 1, red);
    painter.fillRect(5, 8, 4, 1, red);
    painter.fillRect(5, 11, 6, 1, red);

    // The swap arrow: one configuration put in place of another.
    painter.fillRect(9, 8, 5, 1, yellow);
    painter.fillRect(12, 7, 1, 3, yellow);
    painter.fillRect(13, 8, 1, 1, yellow);
}

} // namespace

QuorrelIcon::QuorrelIcon() : PaintedIcon(QStringLiteral("io.github.cstools.Quorrel"), paintIcon) { }
