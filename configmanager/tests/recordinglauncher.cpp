#include "configmanager/tests/recordinglauncher.h"

Result<> RecordingLauncher::launch(const QString &commandLine)
{
    commands << commandLine;
    if (fails)
        return Result<>::failure(QStringLiteral("Programme introuvable"));
    return {};
}
