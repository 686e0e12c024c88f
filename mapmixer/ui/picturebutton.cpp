// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mapmixer/ui/picturebutton.h"

#include "platform/windowkit/windowkit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

const QSize pictureSize(120, 23);

}

PictureButton::PictureButton(const QString &word, QWidget *parent)
    : QWidget(parent), m_word(word),
      m_picture(drawPicture(word, pictureSize, font(), devicePixelRatioF()))
{
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(word);
}

QPixmap PictureButton::drawPicture(const QString &word, const QSize &size, const QFont &font,
                                   qreal pixelRatio)
{
    // As many pixels as the screen shows: on a scaled desktop a picture of the logical size would
    // be blown up and blurred.
    QPixmap picture(size * pixelRatio);
    picture.setDevicePixelRatio(pixelRatio);
    // The frame is one logical pixel, as wide as the scale makes a pixel.
    picture.fill(QColor(255, 0, 0));
    QPainter painter(&picture);
    painter.fillRect(QRect(1, 1, size.width() - 2, size.height() - 2), Qt::black);
    painter.setPen(QColor(255, 255, 0));
    // The word stays inside the frame, whatever face the desktop gives.
    painter.setFont(WindowKit::fittedFont(font, word, size.width() - 2));
    painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, word);
    return picture;
}

void PictureButton::paintEvent(QPaintEvent *)
{
    // The window may have moved to a screen of another scale since the picture was drawn.
    if (m_picture.devicePixelRatio() != devicePixelRatioF())
        m_picture = drawPicture(m_word, pictureSize, font(), devicePixelRatioF());
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
    if (hasFocus()) {
        painter.setPen(QPen(QColor(255, 255, 0), 1, Qt::DotLine));
        painter.drawRect(2, 2, pictureSize.width() - 5, pictureSize.height() - 5);
    }
}

void PictureButton::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void PictureButton::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton
        && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked();
}

void PictureButton::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return
        || event->key() == Qt::Key_Enter)
        emit clicked();
    else
        QWidget::keyPressEvent(event);
}
