// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/windowkit/windowkit.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace {

// The layouts were drawn for a narrow 8-point face; a wider desktop face would cut the text.
// Below this size a text would be shrunk past reading.
constexpr qreal smallestPointSize = 6.0;

} // namespace

namespace WindowKit {

int pixels(int twips)
{
    return int(std::lround(double(twips) / TwipsPerPixel));
}

QRect fromTwips(int left, int top, int width, int height)
{
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
}

QSize fromTwips(int width, int height)
{
    return QSize(pixels(width), pixels(height));
}

void place(QWidget *widget, const char *name, int left, int top, int width, int height)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(fromTwips(left, top, width, height));
}

QFont oldFont(qreal points, bool bold)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont fittedFont(QFont font, const QString &text, int width)
{
    while (QFontMetrics(font).horizontalAdvance(text) > width
           && font.pointSizeF() > smallestPointSize)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}

QFont fittedFont(QFont font, const QString &text, const QSize &room)
{
    auto fits = [&room, &text](const QFont &candidate) {
        const QRect needed = QFontMetrics(candidate).boundingRect(QRect(QPoint(), room), 0, text);
        return needed.width() <= room.width() && needed.height() <= room.height();
    };
    while (!fits(font) && font.pointSizeF() > smallestPointSize)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    return font;
}

void fitTextToWidth(QLabel *label)
{
    label->setFont(fittedFont(label->font(), label->text(), label->width()));
}

void paintBackground(QWidget *widget, const QColor &background)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

void setTabOrder(std::initializer_list<QWidget *> widgets)
{
    for (std::size_t i = 1; i < widgets.size(); ++i)
        QWidget::setTabOrder(widgets.begin()[i - 1], widgets.begin()[i]);
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize outer = window->frameGeometry().size();
    const int left = int(std::floor((area.width() - outer.width()) / 2.0));
    const int top = int(std::floor((area.height() - outer.height()) / 2.0));
    window->move(area.x() + left, area.y() + top);
}

} // namespace WindowKit
