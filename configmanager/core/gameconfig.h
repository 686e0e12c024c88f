#pragma once

#include "configmanager/core/notice.h"

#include <QStringList>

#include <optional>

class FileStore;
class GameLauncher;
class SettingsStore;

/**
 * Quorrel's program-wide values and its configuration library for one mod.
 *
 * The settings (application "Vantrel", section = the mod name) hold the path of the game's
 * configuration file and the command line that starts the game; the library is the folder
 * "Configs" beside that file, one "<name>.cfg" per stored configuration. Nothing is cached: every
 * operation reads the settings again, because the registration window may change them at any
 * time.
 */
class GameConfig
{
public:
    static inline const QString Application = QStringLiteral("Vantrel");
    static inline const QString AlreadyUseKey = QStringLiteral("AlreadyUse");
    static inline const QString RepertoryFileKey = QStringLiteral("RepertoryFile");
    static inline const QString ExecFileKey = QStringLiteral("ExecFile");

    static inline const QString NoModText = QStringLiteral(
        "Aucun mod séléctionné. Veuillez tapez un arguments pour selectionner le Mod");
    static inline const QString NoCommandText = QStringLiteral(
        "Vous n'avez pas enregistré l'emplacement du fichier éxécutable de "
        "counter-strike,veuillez une fois revenu au menu principal appuyer sur Alt_R");
    static inline const QString MissingConfigText =
        QStringLiteral("Cette configue n'existe pas, veuillez rafraichire.");
    static inline const QString MissingConfigTitle = QStringLiteral("Erreure de chargement");
    static inline const QString ProgramName = QStringLiteral("Quorrel");

    struct ApplyResult
    {
        enum class Outcome {
            NothingToApply, ///< empty name
            Missing, ///< the stored configuration is gone; the name has been emptied
            Failed, ///< the copy failed; the game's file is as it was
            NoCommand, ///< copied, but no command line is registered
            LaunchFailed, ///< copied, but the game could not be started
            GameStarted, ///< copied and started: the program ends now
        };
        Outcome outcome;
        std::optional<Notice> notice;
    };

    struct CaptureResult
    {
        enum class Outcome { Created, Refused, Failed };
        Outcome outcome;
        std::optional<Notice> notice;
    };

    GameConfig(QString modName, SettingsStore &settings, FileStore &files, GameLauncher &launcher);

    const QString &ModName() const { return m_modName; }
    QString ConfigFilePath() const;
    /// The library folder with its trailing separator; empty while no configuration file is set.
    QString ConfigFolder() const;
    QString LaunchCommand() const;

    QString setting(const QString &key) const;
    bool setSetting(const QString &key, const QString &value);
    /// Where the settings are kept, for a message when they cannot be written.
    QString settingsLocation() const;
    FileStore &files() const { return m_files; }

    static QString deriveConfigFolder(const QString &configFilePath);
    /// Whether \a name can be stored as "<name>.cfg" in the library and be listed afterwards.
    static bool isValidConfigName(const QString &name);

    /// The file of the stored configuration \a name: an existing one whose ending differs only in
    /// letter case, otherwise "<ConfigFolder><name>.cfg". Empty when there is no library folder.
    QString storedConfigPath(const QString &name) const;

    /// The names of the stored configurations, in the order the folder yields them.
    QStringList RefreshConfigList() const;
    /// Puts the stored configuration \a name in place of the game's file and starts the game.
    ApplyResult ApplyConfig(QString &name);
    bool StartGame(const QString &command, QString *error = nullptr);
    static QString launchFailedText(const QString &command, const QString &reason);
    /// Copies the game's configuration file into the library as \a name (replacing one of the
    /// same name).
    CaptureResult CaptureConfig(const QString &name);

private:
    QString m_modName;
    SettingsStore &m_settings;
    FileStore &m_files;
    GameLauncher &m_launcher;
};
