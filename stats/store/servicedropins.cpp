// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/servicedropins.h"

#include "stats/store/datastats.h"
#include "stats/store/playernames.h"
#include "stats/store/statspaths.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString updateUnit = QStringLiteral("tolvane-update.service");
const QString listenUnit = QStringLiteral("tolvane-listen.service");

} // namespace

ServiceDropIns::ServiceDropIns(SettingsStore &settings)
{
    const StatsPaths paths(settings);
    m_logFolder = paths.logFolder();
    m_database = paths.databasePath();
}

QStringList ServiceDropIns::writableFolders(const QString &unit) const
{
    QStringList folders;
    // The update deletes the logs it has finished; the listener counts its own spool folder.
    if (unit == updateUnit && !m_logFolder.isEmpty())
        folders << QDir::cleanPath(QFileInfo(m_logFolder).absoluteFilePath());
    // SQLite writes beside the database file; PostgreSQL needs nothing on this disk.
    if (!m_database.isEmpty() && !DataStats::isAddress(m_database)) {
        const QString folder = QDir::cleanPath(QFileInfo(m_database).absolutePath());
        if (!folders.contains(folder))
            folders << folder;
    }
    return folders;
}

Result<QString> ServiceDropIns::unitFileWord(const QString &folder)
{
    // systemd cannot read a control character in a unit file's path, a line break least of all.
    for (const QChar c : folder) {
        if (c.category() == QChar::Other_Control)
            return Result<QString>::failure(
                QStringLiteral("the folder %1 holds a control character, which no systemd unit "
                               "file can name")
                    .arg(PlayerNames::visible(folder)));
    }
    QString word = folder;
    word.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('"'), QLatin1String("\\\""))
        .replace(QLatin1Char('%'), QLatin1String("%%"));
    // "-": a folder removed since it was stored leaves the service to start and to say itself
    // that the folder is missing, instead of failing before it runs.
    return QLatin1String("\"-") + word + QLatin1Char('"');
}

Result<QString> ServiceDropIns::dropIn(const QString &unit) const
{
    QString text =
        QStringLiteral("# Written by \"tolvane --store\" from the stored log folder and database, "
                       "and written\n"
                       "# again by each one: the folders %1 may write into besides Tolvane's data\n"
                       "# folder. \"systemctl --user daemon-reload\" puts a change in force.\n"
                       "[Service]\n")
            .arg(unit);
    for (const QString &folder : writableFolders(unit)) {
        const Result<QString> word = unitFileWord(folder);
        if (!word)
            return word;
        text += QStringLiteral("ReadWritePaths=") + *word + QLatin1Char('\n');
    }
    return text;
}

QString ServiceDropIns::dropInPath(const QString &unit)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/systemd/user/") + unit + QStringLiteral(".d/tolvane-store.conf");
}

Result<QString> ServiceDropIns::write() const
{
#ifdef Q_OS_LINUX
    const QStringList units {updateUnit, listenUnit};
    QStringList texts;
    for (const QString &unit : units) {
        const Result<QString> text = dropIn(unit);
        if (!text)
            return text;
        texts << *text;
    }
    if (!m_database.isEmpty() && !DataStats::isAddress(m_database)) {
        const QString folder = QFileInfo(m_database).absolutePath();
        if (!QDir().mkpath(folder))
            return Result<QString>::failure(
                QStringLiteral("cannot make the database's folder %1").arg(folder));
    }
    QStringList granted;
    for (qsizetype i = 0; i < units.size(); ++i) {
        const QString path = dropInPath(units[i]);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(texts[i].toUtf8()) < 0 || !file.commit())
            return Result<QString>::failure(
                QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
        const QStringList folders = writableFolders(units[i]);
        granted << QStringLiteral("%1 %2").arg(
            QString(units[i]).remove(QLatin1String(".service")),
            folders.isEmpty() ? QStringLiteral("nothing more") : folders.join(QLatin1String(", ")));
    }
    return QStringLiteral("user services may write, beyond the data folder: %1 (\"systemctl "
                          "--user daemon-reload\" puts it in force)")
        .arg(granted.join(QLatin1String("; ")));
#else
    // No systemd to tell.
    return QString();
#endif
}
