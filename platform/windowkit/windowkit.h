// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>

#include <initializer_list>

class QLabel;
class QWidget;

/**
 * What the programs' windows share of their old look: a layout in twips (at 96 dots per inch
 * 15 twips make a pixel), the old "MS Sans Serif" faces, labels that keep their text whole in
 * the wider fonts of today's desktops, the black windows, and centring on the screen.
 */
namespace WindowKit {

constexpr int TwipsPerPixel = 15;

int pixels(int twips);
QRect fromTwips(int left, int top, int width, int height);
QSize fromTwips(int width, int height);
/// Gives \a widget its \a name, the one tests find it by, and its place in twips.
void place(QWidget *widget, const char *name, int left, int top, int width, int height);

/// "MS Sans Serif" at \a points; where it is not installed, the closest sans-serif face.
QFont oldFont(qreal points, bool bold = false);
/// Shrinks the font of a one-line \a label until its text fits the width it was laid out with.
void fitTextToWidth(QLabel *label);
/// The largest font, from \a font down, in which \a text fits \a width.
QFont fittedFont(QFont font, const QString &text, int width);
/// The largest font, from \a font down, in which \a text, of one line or several, fits \a room.
QFont fittedFont(QFont font, const QString &text, const QSize &room);

/// Paints \a widget's own background in \a background (black in the old windows).
void paintBackground(QWidget *widget, const QColor &background = Qt::black);
/// Writes \a widget's text in \a color.
void setTextColor(QWidget *widget, const QColor &color);

/// Lets the Tab key go through \a widgets in the order given.
void setTabOrder(std::initializer_list<QWidget *> widgets);

/// Places \a window so that its outer frame is centred on its screen, rounding down.
void centreOnScreen(QWidget *window);

} // namespace WindowKit
