#include "stats/ui/tolvaneicon.h"

#include <QPainter>

namespace {

void paintIcon(QPainter &painter)
{
    const QColor navy(0, 0, 128);
    const QColor yellow(255, 255, 0);
    const QColor silver(192, 192, 192);
    const QColor olive(128, 128, 0);
    const QColor red(255, 0, 0);
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);

    painter.fillRect(0, 0, 16, 16, navy);

    // The podium: second, first and third place.
    painter.fillRect(1, 10, 5, 5, silver);
    painter.fillRect(6, 7, 4, 8, yellow);
    painter.fillRect(10, 12, 5, 3, olive);
    painter.fillRect(1, 15, 14, 1, black);
    painter.fillRect(7, 9, 2, 1, black);
    painter.fillRect(8, 8, 1, 4, black);

    // The crosshair above the winner.
    painter.fillRect(6, 1, 4, 1, red);
    painter.fillRect(6, 5, 4, 1, red);
    painter.fillRect(5, 2, 1, 3, red);
    painter.fillRect(10, 2, 1, 3, red);
    painter.fillRect(7, 3, 2, 1, white);
    painter.fillRect(8, 0, 1, 2, white);
}

} // namespace

TolvaneIcon::TolvaneIcon() : PaintedIcon(QStringLiteral("io.github.cstools.Tolvane"), paintIcon) { }
