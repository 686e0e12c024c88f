#include "fakes.h"

#include <QFile>

bool RecordingLauncher::launch(const QString &commandLine, QString *error)
{
    commands << commandLine;
    if (fails && error)
        *error = QStringLiteral("Programme introuvable");
    return !fails;
}

bool FailingFileStore::writeAtomically(const QString &path, const QByteArray &content,
                                       QString *error)
{
    if (path == failingPath) {
        if (error)
            *error = QStringLiteral("Permission denied");
        return false;
    }
    return FileStore::writeAtomically(path, content, error);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}
