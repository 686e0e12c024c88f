#pragma once

#include "platform/launch/gamelauncher.h"

#include <QStringList>

/// Records every command line instead of starting anything; can be told to fail.
class RecordingLauncher final : public GameLauncher
{
public:
    Result<> launch(const QString &commandLine) override;

    QStringList commands;
    bool fails = false;
};
