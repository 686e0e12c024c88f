#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

#include <functional>

class QPainter;

/**
 * A program's icon, painted by the program on a 16 x 16 grid of whole pixels and scaled by
 * whole multiples, so that every size (16, 32, 48... 256) stays crisp in the same few colours;
 * installed under the id that the program's desktop entry and metadata share.
 */
class PaintedIcon
{
public:
    using Painting = std::function<void(QPainter &)>;

    PaintedIcon(QString desktopId, Painting paint);

    /// "io.github.cstools.Tolvane": the desktop entry, the metadata and the icon installed.
    const QString &desktopId() const { return m_desktopId; }

    /// The icon in the sizes windows show: 32 x 32 and 16 x 16.
    QIcon icon() const;
    /// One image of \a size pixels a side (a multiple of 16).
    QPixmap image(int size) const;

private:
    QString m_desktopId;
    Painting m_paint;
};
