#include "configmanager/core/gameconfig.h"

#include "platform/files/filestore.h"
#include "platform/launch/gamelauncher.h"
#include "platform/settings/settingsstore.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString ConfigEnding = QStringLiteral(".cfg");
const QString ConfigPattern = QStringLiteral("*.cfg");

Notice programNotice(const QString &text)
{
    return Notice {GameConfig::ProgramName, text};
}

// Every rule isValidConfigName() applies on this system, for the message that refuses a name.
QString nameRules()
{
#ifdef Q_OS_WIN
    return QStringLiteral(
        "\n- ne contient aucun des caractères / \\ < > : \" | ? * ni de caractère de contrôle ou "
        "nul ;\n- n'est ni « . » ni « .. », et ne finit ni par un espace ni par un point ;"
        "\n- tient en 255 octets avec « .cfg ».");
#else
    return QStringLiteral(
        "\n- ne contient ni / ni \\ ni le caractère nul ;\n- ne commence pas par un point (la "
        "configue serait cachée ; « . » et « .. » sont refusés) ;\n- tient en 255 octets avec "
        "« .cfg ».");
#endif
}

} // namespace

GameConfig::GameConfig(QString modName, SettingsStore &settings, FileStore &files,
                       GameLauncher &launcher)
    : m_modName(std::move(modName)), m_settings(settings), m_files(files), m_launcher(launcher)
{ }

QString GameConfig::ConfigFilePath() const
{
    return setting(RepertoryFileKey);
}

QString GameConfig::ConfigFolder() const
{
    return deriveConfigFolder(ConfigFilePath());
}

QString GameConfig::LaunchCommand() const
{
    return setting(ExecFileKey);
}

QString GameConfig::setting(const QString &key) const
{
    return m_settings.read(Application, m_modName, key);
}

bool GameConfig::setSetting(const QString &key, const QString &value)
{
    return m_settings.write(Application, m_modName, key, value);
}

QString GameConfig::settingsLocation() const
{
    return m_settings.location(Application);
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

GameConfig::ApplyResult GameConfig::ApplyConfig(QString &name)
{
    using Outcome = ApplyResult::Outcome;
    if (name.isEmpty())
        return {Outcome::NothingToApply, std::nullopt};

    const QString source = storedConfigPath(name);
    if (source.isEmpty() || !QFileInfo(source).isFile()) {
        name.clear();
        return {Outcome::Missing, Notice {MissingConfigTitle, MissingConfigText}};
    }

    const QString target = ConfigFilePath();
    QString error;
    const auto content = m_files.readAll(source);
    if (!content) {
        return {Outcome::Failed,
                programNotice(QStringLiteral("La configue \"%1\" n'a pas pu être lue :\n%2\n%3")
                                  .arg(name, source, content.reason()))};
    }
    // The file being replaced is kept one level back, so a wrong choice can be undone by hand.
    if (QFileInfo::exists(target)) {
        const QString backup = target + QStringLiteral(".bak");
        const auto old = m_files.readAll(target);
        const auto kept = old ? m_files.writeAtomically(backup, *old) : Result<>();
        if (!old || !kept) {
            error = old ? kept.reason() : old.reason();
            return {Outcome::Failed,
                    programNotice(QStringLiteral("La copie de sécurité de %1 n'a pas pu être "
                                                 "faite, la configue n'a pas été mise en place "
                                                 ":\n%2\n%3")
                                      .arg(target, old ? backup : target, error))};
        }
    }
    if (const auto written = m_files.writeAtomically(target, *content); !written) {
        return {Outcome::Failed,
                programNotice(QStringLiteral("La configue \"%1\" n'a pas pu être copiée sur %2 "
                                             ":\n%3")
                                  .arg(name, target, written.reason()))};
    }

    const QString command = LaunchCommand();
    if (command.isEmpty())
        return {Outcome::NoCommand, programNotice(NoCommandText)};
    if (!StartGame(command, &error))
        return {Outcome::LaunchFailed, programNotice(launchFailedText(command, error))};
    return {Outcome::GameStarted, std::nullopt};
}

bool GameConfig::StartGame(const QString &command, QString *error)
{
    return m_launcher.launch(command, error);
}

QString GameConfig::launchFailedText(const QString &command, const QString &reason)
{
    return QStringLiteral("Le jeu n'a pas pu être lancé avec la ligne de commande :\n%1\n\n%2")
        .arg(command, reason);
}

GameConfig::CaptureResult GameConfig::CaptureConfig(const QString &name)
{
    using Outcome = CaptureResult::Outcome;
    if (!isValidConfigName(name)) {
        return {Outcome::Refused,
                programNotice(QStringLiteral("\"%1\" n'est pas un nom de configue valide. Un nom "
                                             "de configue :")
                                  .arg(name)
                              + nameRules())};
    }

    const auto failed = [](const QString &why) {
        return CaptureResult {
            Outcome::Failed,
            programNotice(QStringLiteral("Votre configue n'a pas été créée :\n") + why)};
    };
    const QString source = ConfigFilePath();
    const QString folder = ConfigFolder();
    if (folder.isEmpty())
        return failed(QStringLiteral("aucun fichier de configuration n'est enregistré (Alt_R)."));
    // The game's file is read before anything is created, so a failed capture leaves nothing.
    const auto content = m_files.readAll(source);
    if (!content)
        return failed(source + QLatin1Char('\n') + content.reason());
    if (const auto made = m_files.makeFolder(folder); !made)
        return failed(folder + QLatin1Char('\n') + made.reason());
    const QString target = storedConfigPath(name);
    if (const auto written = m_files.writeAtomically(target, *content); !written)
        return failed(target + QLatin1Char('\n') + written.reason());
    return {Outcome::Created, std::nullopt};
}
