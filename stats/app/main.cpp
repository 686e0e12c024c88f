#include "platform/dialogs/qtdialogs.h"
#include "platform/settings/overlaysettings.h"
#include "platform/settings/settingsstore.h"
#include "platform/windowkit/windowedprogram.h"
#include "stats/cli/tolvanecommandline.h"
#include "stats/store/datastats.h"
#include "stats/store/tolvanesettings.h"
#include "stats/ui/affiche.h"
#include "stats/ui/tolvanecontext.h"
#include "stats/ui/tolvaneicon.h"
#include "stats/ui/windowedstart.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

namespace {

int runWindows(int argc, char **argv, const TolvaneRequest &request)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(TolvaneSettings::application());
    const WindowedProgram program {TolvaneIcon()};

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

int runHeadless(int argc, char **argv, const Result<TolvaneRequest> &request)
{
    // No QGuiApplication here: the command line must work on a server without a display.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(TolvaneSettings::application());
    QTextStream out(stdout);
    QTextStream err(stderr);
    SettingsStore settings;
    return TolvaneCommandLine(settings, out, err).run(request);
}

} // namespace

int main(int argc, char **argv)
{
    const auto request = TolvaneCommandLine::parse(CommandLine::arguments(argc, argv));
    if (request && request->ask == CommandLine::Ask::Run && !request->command)
        return runWindows(argc, argv, *request);
    return runHeadless(argc, argv, request);
}
