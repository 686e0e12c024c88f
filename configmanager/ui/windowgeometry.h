#pragma once

#include <QRect>

class QLabel;
class QWidget;

// The windows are laid out in twips, as designed; at 96 dots per inch 15 twips make a pixel.
namespace WindowGeometry {

constexpr int TwipsPerPixel = 15;

int pixels(int twips);
QRect fromTwips(int left, int top, int width, int height);
/// Places \a window so that its outer frame is centred on its screen, rounding down.
void centreOnScreen(QWidget *window);
/// Shrinks the font of a one-line \a label until its text fits the width it was laid out with.
void fitTextToWidth(QLabel *label);

} // namespace WindowGeometry
