#include "platform/windowkit/paintedicon.h"

#include <QPainter>

PaintedIcon::PaintedIcon(QString desktopId, Painting paint)
    : m_desktopId(std::move(desktopId)), m_paint(std::move(paint))
{ }

QIcon PaintedIcon::icon() const
{
    QIcon icon;
    icon.addPixmap(image(32));
    icon.addPixmap(image(16));
    return icon;
}

QPixmap PaintedIcon::image(int size) const
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.scale(size / 16.0, size / 16.0);
    m_paint(painter);
    return pixmap;
}
