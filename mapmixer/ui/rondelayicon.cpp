// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mapmixer/ui/rondelayicon.h"

#include <QPainter>

namespace {

// Drawn on a 16 x 16 grid and scaled by whole pixels, so every size stays crisp.
void paintIcon(QPainter &painter)
{
    const QColor black(0, 0, 0);
    const QColor red(255, 0, 0);
    const QColor yellow(255, 255, 0);

    // The frame of the picture buttons, one pixel of red around the black.
    painter.fillRect(0, 0, 16, 16, red);
    painter.fillRect(1, 1, 14, 14, black);

    // The map cycle: a ring, open at the top right where its arrow head turns it round.
    for (const QRect &run :
         {QRect(5, 3, 4, 1), QRect(4, 4, 1, 1), QRect(3, 5, 1, 6), QRect(4, 11, 1, 1),
          QRect(5, 12, 6, 1), QRect(11, 11, 1, 1), QRect(12, 6, 1, 5), QRect(10, 3, 4, 1),
          QRect(11, 4, 3, 1), QRect(12, 5, 2, 1)})
        painter.fillRect(run, yellow);
}

} // namespace

RondelayIcon::RondelayIcon() : PaintedIcon(QStringLiteral("io.github.cstools.Rondelay"), paintIcon)
{ }
