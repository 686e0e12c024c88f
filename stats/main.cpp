#include "platform/settings/settingsstore.h"
#include "stats/analysis/tolvanecommandline.h"
#include "stats/ui/windowedstart.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const auto windowed = TolvaneCommandLine::windowedStart(arguments))
        return startWindowed(argc, argv, windowed->logFolder, windowed->database);

    // No QGuiApplication here: the command line must work on a server without a display.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tolvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    SettingsStore settings;
    return TolvaneCommandLine(settings, out, err).run(QCoreApplication::arguments());
}
