// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPixmap>
#include <QWidget>

/** A picture that acts as a button: black, a one-pixel red frame, the word centred in yellow. */
class PictureButton final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureButton)

public:
    explicit PictureButton(const QString &word, QWidget *parent = nullptr);

    QString word() const { return m_word; }
    const QPixmap &picture() const { return m_picture; }

    /// The picture in logical pixels of \a size, drawn with \a pixelRatio device pixels to each.
    static QPixmap drawPicture(const QString &word, const QSize &size, const QFont &font,
                               qreal pixelRatio);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QString m_word;
    QPixmap m_picture;
    bool m_pressed = false;
};
