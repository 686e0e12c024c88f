#include "platform/windowkit/windowedprogram.h"

#include "platform/windowkit/paintedicon.h"

#include <QApplication>

WindowedProgram::WindowedProgram(const PaintedIcon &icon)
{
    QGuiApplication::setDesktopFileName(icon.desktopId());
    QApplication::setWindowIcon(icon.icon());
    QApplication::installTranslator(&m_frenchQtTexts);
}
