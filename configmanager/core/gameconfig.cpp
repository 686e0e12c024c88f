// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/core/gameconfig.h"

#include "configmanager/core/quorreltexts.h"
#include "platform/dialogs/frenchreasons.h"
#include "platform/files/filestore.h"
#include "platform/launch/gamelauncher.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString ConfigEnding = QStringLiteral(".cfg");
const QString ConfigPattern = QStringLiteral("*.cfg");

} // namespace

GameConfig::GameConfig(QString modName, SettingsStore &settings, FileStore &files,
                       GameLauncher &launcher)
    : m_settings(settings, std::move(modName)), m_files(files), m_launcher(launcher)
{ }

QString GameConfig::ConfigFilePath() const
{
    return m_settings.value(QuorrelSettings::Key::RepertoryFile);
}

QString GameConfig::ConfigFolder() const
{
    return deriveConfigFolder(ConfigFilePath());
}

QString GameConfig::LaunchCommand() const
{
    return m_settings.value(QuorrelSettings::Key::ExecFile);
}

QString GameConfig::deriveConfigFolder(const QString &configFilePath)
{
    if (configFilePath.isEmpty())
        return {};
    // The folder is taken from the last separator rather than by cutting a fixed-length file
    // name off the end, so that any file name, a short path or a hand-typed one works.
    qsizetype cut = configFilePath.lastIndexOf(QLatin1Char('/'));
    QChar separator = QLatin1Char('/');
#ifdef Q_OS_WIN
    const qsizetype backslash = configFilePath.lastIndexOf(QLatin1Char('\\'));
    if (backslash > cut) {
        cut = backslash;
        separator = QLatin1Char('\\');
    }
#endif
    return configFilePath.left(cut + 1) + QStringLiteral("Configs") + separator;
}

bool GameConfig::isValidConfigName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
        || name.contains(QChar::Null))
        return false;
#ifdef Q_OS_WIN
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("<>:\"|?*").contains(c))
            return false;
    }
    if (name.endsWith(QLatin1Char(' ')) || name.endsWith(QLatin1Char('.')))
        return false;
#else
    // A leading dot would hide the stored file, and the list would never show it.
    if (name.startsWith(QLatin1Char('.')))
        return false;
#endif
    return QFile::encodeName(name + ConfigEnding).size() <= 255;
}

QString GameConfig::storedConfigPath(const QString &name) const
{
    const QString folder = ConfigFolder();
    if (folder.isEmpty())
        return {};
    const QString exact = folder + name + ConfigEnding;
    if (QFileInfo(exact).isFile())
        return exact;
    // The list shows "NAME.CFG" as NAME too; find the file it came from.
    const QDir dir(folder);
    const QStringList entries = dir.entryList({ConfigPattern}, QDir::Files, QDir::Unsorted);
    for (const QString &entry : entries) {
        if (entry.chopped(ConfigEnding.size()) == name)
            return folder + entry;
    }
    return exact;
}

QStringList GameConfig::RefreshConfigList() const
{
    const QString folder = ConfigFolder();
    if (folder.isEmpty())
        return {};
    // Name filters match regardless of letter case unless asked otherwise, and QDir::Files
    // without Hidden or System leaves out everything but ordinary files.
    QStringList names = QDir(folder).entryList({ConfigPattern}, QDir::Files, QDir::Unsorted);
    for (QString &entry : names)
        entry.chop(ConfigEnding.size());
    return names;
}

Result<GameConfig::Applied> GameConfig::ApplyConfig(QString &name)
{
    if (name.isEmpty())
        return Applied::NothingToApply;

    const QString source = storedConfigPath(name);
    if (source.isEmpty() || !QFileInfo(source).isFile()) {
        name.clear();
        return Applied::Missing;
    }

    const QString target = ConfigFilePath();
    const auto content = m_files.readAll(source);
    if (!content) {
        return Result<Applied>::failure(content.failure().toldAs(QuorrelTexts::unreadableConfig(
            name, source, FrenchReasons::translate(content.failure()))));
    }
    // The file being replaced is kept one level back, so a wrong choice can be undone by hand.
    if (QFileInfo::exists(target)) {
        const QString backup = target + QStringLiteral(".bak");
        const auto old = m_files.readAll(target);
        const auto kept = old ? m_files.writeAtomically(backup, *old) : Result<>();
        if (!old || !kept) {
            const Failure &why = old ? kept.failure() : old.failure();
            return Result<Applied>::failure(why.toldAs(QuorrelTexts::backupFailed(
                target, old ? backup : target, FrenchReasons::translate(why))));
        }
    }
    if (const auto written = m_files.writeAtomically(target, *content); !written) {
        return Result<Applied>::failure(written.failure().toldAs(
            QuorrelTexts::copyFailed(name, target, FrenchReasons::translate(written.failure()))));
    }

    const QString command = LaunchCommand();
    if (command.isEmpty())
        return Applied::NoCommand;
    if (const auto started = StartGame(command); !started)
        return Result<Applied>::failure(started.failure());
    return Applied::GameStarted;
}

Result<> GameConfig::StartGame(const QString &command)
{
    const auto launched = m_launcher.launch(command);
    if (!launched)
        return Result<>::failure(launched.failure().toldAs(
            QuorrelTexts::launchFailed(command, FrenchReasons::translate(launched.failure()))));
    return {};
}

Result<> GameConfig::CaptureConfig(const QString &name)
{
    if (!isValidConfigName(name))
        return Result<>::failure(QuorrelTexts::invalidConfigName(name));

    const auto failed = [](const QString &where, const Failure &why = {}) {
        const QString message = QuorrelTexts::notCreated(
            why.text().isEmpty() ? where : where + u'\n' + FrenchReasons::translate(why));
        return Result<>::failure(why.toldAs(message));
    };
    const QString source = ConfigFilePath();
    const QString folder = ConfigFolder();
    if (folder.isEmpty())
        return failed(QuorrelTexts::noConfigFile());
    // The game's file is read before anything is created, so a failed capture leaves nothing.
    const auto content = m_files.readAll(source);
    if (!content)
        return failed(source, content.failure());
    if (const auto made = m_files.makeFolder(folder); !made)
        return failed(folder, made.failure());
    const QString target = storedConfigPath(name);
    if (const auto written = m_files.writeAtomically(target, *content); !written)
        return failed(target, written.failure());
    return {};
}
