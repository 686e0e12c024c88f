// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/windowkit/frenchqttexts.h"
#include "tools/screenshots/shots.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("SPEECH_SILENT", "1");
    QApplication app(argc, argv);
    // The pictures show Qt's buttons as the programs do, in French.
    FrenchQtTexts frenchQtTexts;
    QApplication::installTranslator(&frenchQtTexts);
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "screenshots: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    const int written =
        renderTolvaneWindows(folder) + renderRondelayWindows(folder) + renderQuorrelWindows(folder);
    std::printf("%d pictures written to %s\n", written, qPrintable(QDir(folder).absolutePath()));
    return 0;
}
