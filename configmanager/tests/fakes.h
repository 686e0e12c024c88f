#pragma once

#include "platform/launch/gamelauncher.h"
#include "platform/testsupport/failingfilestore.h"
#include "platform/testsupport/testfiles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

/// Records every command line instead of starting anything; can be told to fail.
class RecordingLauncher final : public GameLauncher
{
public:
    bool launch(const QString &commandLine, QString *error = nullptr) override;

    QStringList commands;
    bool fails = false;
};
