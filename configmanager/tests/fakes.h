#pragma once

#include "failingfilestore.h"
#include "gamelauncher.h"
#include "testfiles.h"

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
