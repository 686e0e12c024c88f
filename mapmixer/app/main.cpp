#include "mapmixer/core/headlessshuffle.h"
#include "mapmixer/core/randomsource.h"
#include "mapmixer/core/rondelaycommandline.h"
#include "mapmixer/ui/mixfrm.h"
#include "mapmixer/ui/rondelayicon.h"
#include "platform/dialogs/qtdialogs.h"
#include "platform/files/filestore.h"
#include "platform/settings/settingsstore.h"
#include "platform/speech/speechoutput.h"
#include "platform/windowkit/windowedprogram.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTextStream>

#include <memory>

namespace {

int runWindow(int argc, char **argv, const RondelayCommandLine &line)
{
    QApplication app(argc, argv);
    const WindowedProgram program {RondelayIcon()};
    SettingsStore settings;
    QtDialogs dialogs;
    const auto modFolder = MixFrm::startUp(line.modName, settings, dialogs);
    if (!modFolder)
        return 1;
    FileStore files;
    const std::unique_ptr<SpeechOutput> parle = SpeechOutput::create();
    MixFrm window(line.modName, *modFolder, files, dialogs, *parle);
    QObject::connect(&window, &MixFrm::programEnded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    return app.exec();
}

int runHeadless(int argc, char **argv, const RondelayCommandLine &line, QTextStream &out,
                QTextStream &err)
{
    // No QGuiApplication: this must run on a server without any display.
    QCoreApplication app(argc, argv);
    SettingsStore settings;
    FileStore files;
    RandomSource random;
    return HeadlessShuffle::report(HeadlessShuffle::run(line, settings, files, random), out, err);
}

} // namespace

int main(int argc, char **argv)
{
    const auto line = RondelayCommandLine::parse(CommandLine::arguments(argc, argv));
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (const auto answered = RondelayCommandLine::syntax().reply(line, out, err))
        return *answered;
    if (line->mode == RondelayCommandLine::Mode::Shuffle)
        return runHeadless(argc, argv, *line, out, err);
    return runWindow(argc, argv, *line);
}
