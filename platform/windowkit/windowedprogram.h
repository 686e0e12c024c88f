#pragma once

#include "platform/windowkit/frenchqttexts.h"

class PaintedIcon;

/**
 * What a windowed program sets up once, right after its application object: the id that its
 * desktop entry, metadata and installed icons share, the icon every one of its windows and
 * message boxes shows, and Qt's own texts in French. The windows themselves set no icon.
 */
class WindowedProgram final
{
public:
    explicit WindowedProgram(const PaintedIcon &icon);

private:
    FrenchQtTexts m_frenchQtTexts;
};
