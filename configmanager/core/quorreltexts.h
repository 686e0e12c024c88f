// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/launch/gamelauncher.h"

#include <QString>

/**
 * Quorrel's own texts: the titles and messages of its boxes, the phrases it speaks and the
 * reasons it gives when a file or the game fails it. The windows' captions stay with their
 * layout.
 */
namespace QuorrelTexts {

inline QString programName()
{
    return QStringLiteral("Quorrel");
}
inline QString noMod()
{
    return QStringLiteral(
        "Aucun mod séléctionné. Veuillez tapez un arguments pour selectionner le Mod");
}
inline QString noCommand()
{
    return QStringLiteral("Vous n'avez pas enregistré l'emplacement du fichier éxécutable de "
                          "counter-strike,veuillez une fois revenu au menu principal appuyer sur "
                          "Alt_R");
}
inline QString missingConfigTitle()
{
    return QStringLiteral("Erreure de chargement");
}
inline QString missingConfig()
{
    return QStringLiteral("Cette configue n'existe pas, veuillez rafraichire.");
}
inline QString saveQuestionTitle()
{
    return QStringLiteral("Brassolin");
}
inline QString saveQuestion()
{
    return QStringLiteral("Voulez-vous enregistrer les modifications ?");
}
inline QString configDialogTitle()
{
    return QStringLiteral("Fichier de sauvegarde");
}
inline QString programDialogTitle()
{
    return QStringLiteral("Counter-Strike");
}
inline QString noEntrySelected()
{
    return QStringLiteral("Aucune configue n'est sélectionnée dans la liste.");
}

// Spoken.
inline QString greeting(const QString &modName)
{
    return modName + QStringLiteral(" - CONFIGURATION");
}
inline QString captureInstruction()
{
    return QStringLiteral("Create your configuration and quit the game.");
}
inline QString welcome(const QString &entry)
{
    return QStringLiteral("Welcome ") + entry;
}
inline QString enterConfigName()
{
    return QStringLiteral("Ennntter your ConfigName");
}
inline QString configCreated()
{
    return QStringLiteral("Your Configuration has been created");
}
inline QString configNotCreated()
{
    return QStringLiteral("Your Configuration has not been created");
}
inline QString configViewer()
{
    return QStringLiteral("Config Viewer");
}

// What went wrong, for the message boxes; each names the file or the command concerned.
QString launchFailure(GameLauncher::Failure failure, const QString &subject, const QString &detail);
QString launchFailed(const QString &command, const QString &reason);
QString unreadableConfig(const QString &name, const QString &path, const QString &reason);
/// The reason given where there is no library because no configuration file is registered.
QString noConfigFile();
QString backupFailed(const QString &target, const QString &path, const QString &reason);
QString copyFailed(const QString &name, const QString &target, const QString &reason);
/// The name refused, and every rule a configuration's name follows on this system.
QString invalidConfigName(const QString &name);
QString notCreated(const QString &why);
QString unencodableCharacter(const QString &character, char32_t code, qsizetype line);
QString editsRefused(const QString &path, const QString &reason);
QString editsNotWritten(const QString &path, const QString &reason);
QString pathsNotStored(const QString &settingsLocation);

} // namespace QuorrelTexts
