#include "configmanager/tests/fakes.h"

#include <QFile>

bool RecordingLauncher::launch(const QString &commandLine, QString *error)
{
    commands << commandLine;
    if (fails && error)
        *error = QStringLiteral("Programme introuvable");
    return !fails;
}
