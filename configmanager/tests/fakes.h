#pragma once

#include "filestore.h"
#include "gamelauncher.h"

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

/// A file store whose writes to one path fail, as on a read-only or locked file.
class FailingFileStore final : public FileStore
{
public:
    bool writeAtomically(const QString &path, const QByteArray &content,
                         QString *error = nullptr) override;

    QString failingPath;
};

/// Small file helpers for fixtures.
QByteArray readFile(const QString &path);
bool writeFile(const QString &path, const QByteArray &content);
