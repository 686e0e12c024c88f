#include "mapmixer/ui/rondelayicon.h"

#include <QPainter>

namespace {

// Drawn on a 16 x 16 grid and scaled by whole pixels, so every size stays crisp.
void paintIcon(QPainter &painter)
{
    const QColor black(0, 0, 0);
    const QColor red(255, 0, 0);
    const QColor yellow(255, 255, 0);

    painter.fillRect(0, 0, 16, 16, black);
    // The frame of the picture buttons.
    painter.fillRect(0, 0, 16, 1, red);
    painter.fillRect(0, 15, 16, 1, red);
    painter.fillRect(0, 0, 1, 16, red);
    painter.fillRect(15, 0, 1, 16, red);

    // The map cycle: a ring, open at the top right where its arrow head turns it round.
    painter.fillRect(5, 3, 4, 1, yellow);
    painter.fillRect(4, 4, 1, 1, yellow);
    painter.fillRect(3, 5, 1, 6, yellow);
    painter.fillRect(4, 11, 1, 1, yellow);
    painter.fillRect(5, 12, 6, 1, yellow);
    painter.fillRect(11, 11, 1, 1, yellow);
    painter.fillRect(12, 6, 1, 5, yellow);
    painter.fillRect(10, 3, 4, 1, yellow);
    painter.fillRect(11, 4, 3, 1, yellow);
    painter.fillRect(12, 5, 2, 1, yellow);
}

} // namespace

RondelayIcon::RondelayIcon() : PaintedIcon(QStringLiteral("io.github.cstools.Rondelay"), paintIcon)
{ }
