// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/dialogs/qtdialogs.h"
#include "platform/settings/overlaysettings.h"
#include "platform/settings/settingsstore.h"
#include "platform/windowkit/frenchqttexts.h"
#include "stats/analysis/tolvanecommandline.h"
#include "stats/store/datastats.h"
#include "stats/store/tolvanesettings.h"
#include "stats/ui/affiche.h"
#include "stats/ui/tolvanecontext.h"
#include "stats/ui/tolvaneicon.h"
#include "stats/ui/windowedstart.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

void nameApplication()
{
    QCoreApplication::setApplicationName(TolvaneSettings::application());
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
}

int runWindows(int argc, char **argv, const TolvaneCommandLine::Request &request)
{
    QApplication app(argc, argv);
    nameApplication();
    // The desktop entry, the metadata and the icon installed share this id.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.cstools.Tolvane"));
    QApplication::setWindowIcon(TolvaneIcon().icon());
    FrenchQtTexts frenchQtTexts;
    QApplication::installTranslator(&frenchQtTexts);

    SettingsStore stored;
    OverlaySettings settings(stored);
    WindowedStart::overlayPaths(settings, request.logFolder, request.database, request.host);
    QtDialogs dialogs;
    DataStats store;
    if (!WindowedStart::prepare(settings, dialogs, store))
        return 1;

    TolvaneContext context {store, settings, dialogs};
    Affiche::showNew(context);
    const int status = QApplication::exec();
    WindowedStart::closeWindows();
    return status;
}

int runHeadless(int argc, char **argv, const TolvaneCommandLine::Request &request)
{
    // No QGuiApplication here: the command line must work on a server without a display.
    QCoreApplication app(argc, argv);
    nameApplication();
    QTextStream out(stdout);
    QTextStream err(stderr);
    SettingsStore settings;
    return TolvaneCommandLine(settings, out, err).run(request);
}

} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const TolvaneCommandLine::Request request = TolvaneCommandLine::parse(arguments);
    if (request.action == TolvaneCommandLine::Request::Action::Windows)
        return runWindows(argc, argv, request);
    return runHeadless(argc, argv, request);
}
