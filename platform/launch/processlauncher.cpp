#include "platform/launch/processlauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

std::optional<ProcessLauncher::Plan> ProcessLauncher::plan(const QString &commandLine,
                                                           QString *error)
{
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty()) {
        setError(error, QStringLiteral("La ligne de commande est vide."));
        return std::nullopt;
    }
    const QString named = words.takeFirst();

    // A bare name is looked up in PATH like a shell does; anything with a folder in it is a path.
    QString program;
    if (named.contains(QLatin1Char('/')) || named.contains(QDir::separator()))
        program = QFileInfo(named).absoluteFilePath();
    else
        program = QStandardPaths::findExecutable(named);

    const QFileInfo info(program);
    if (program.isEmpty() || !info.exists()) {
        setError(error, QStringLiteral("Programme introuvable : %1").arg(named));
        return std::nullopt;
    }
    if (!info.isFile() || !info.isExecutable()) {
        setError(error,
                 QStringLiteral("Ce fichier n'est pas un programme exécutable : %1")
                     .arg(info.absoluteFilePath()));
        return std::nullopt;
    }
    return Plan {info.absoluteFilePath(), words, info.absolutePath()};
}

bool ProcessLauncher::launch(const QString &commandLine, QString *error)
{
    const auto started = plan(commandLine, error);
    if (!started)
        return false;
    QProcess process;
    process.setProgram(started->program);
    process.setArguments(started->arguments);
    process.setWorkingDirectory(started->workingDirectory);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached()) {
        setError(error,
                 QStringLiteral("Le programme %1 n'a pas pu être démarré : %2")
                     .arg(started->program, process.errorString()));
        return false;
    }
    return true;
}
