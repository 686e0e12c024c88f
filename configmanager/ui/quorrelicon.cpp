// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

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
    for (const QRect &line : {QRect(5, 5, 6, 1), QRect(5, 8, 4, 1), QRect(5, 11, 6, 1)})
        painter.fillRect(line, red);

    // The swap arrow: one configuration put in place of another.
    for (const QRect &run : {QRect(9, 8, 5, 1), QRect(12, 7, 1, 3), QRect(13, 8, 1, 1)})
        painter.fillRect(run, yellow);
}

} // namespace

QuorrelIcon::QuorrelIcon() : PaintedIcon(QStringLiteral("io.github.cstools.Quorrel"), paintIcon) { }
