#include "windowgeometry.h"

#include <QGuiApplication>
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

} // namespace WindowGeometry
