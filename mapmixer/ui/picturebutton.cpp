#include "mapmixer/ui/picturebutton.h"

#include "platform/windowkit/windowkit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

const QSize pictureSize(120, 23);

}

PictureButton::PictureButton(const QString &word, QWidget *parent)
    : QWidget(parent), m_word(word), m_picture(drawPicture(word, pictureSize, font()))
{
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(word);
}

QPixmap PictureButton::drawPicture(const QString &word, const QSize &size, const QFont &font)
{
    QPixmap picture(size);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.setPen(QPen(QColor(255, 0, 0), 1));
    painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
    painter.setPen(QColor(255, 255, 0));
    // The word stays inside the frame, whatever face the desktop gives.
    painter.setFont(WindowKit::fittedFont(font, word, size.width() - 2));
    painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, word);
    return picture;
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
    if (hasFocus()) {
        painter.setPen(QPen(QColor(255, 255, 0), 1, Qt::DotLine));
        painter.drawRect(2, 2, m_picture.width() - 5, m_picture.height() - 5);
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
