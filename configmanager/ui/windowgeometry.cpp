#include "configmanager/ui/windowgeometry.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace WindowGeometry {

int pixels(int twips)
{
    return int(std::lround(double(twips) / TwipsPerPixel));
}

QRect fromTwips(int left, int top, int width, int height)
{
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
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

void fitTextToWidth(QLabel *label)
{
    // The layout was drawn for a narrow 8-point font; a wider desktop font would cut the text.
    QFont font = label->font();
    constexpr qreal SmallestPointSize = 6.0;
    while (QFontMetrics(font).horizontalAdvance(label->text()) > label->width()
           && font.pointSizeF() > SmallestPointSize)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
}

} // namespace WindowGeometry
