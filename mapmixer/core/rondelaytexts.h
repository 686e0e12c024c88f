// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

/** Rondelay's fixed texts: the window's French captions and messages and the spoken phrases. */
namespace RondelayTexts {

inline QString programTitle()
{
    return QStringLiteral("Rondelay");
}
inline QString windowTitle()
{
    return QStringLiteral("Rondelay Shuffler");
}
inline QString noArgument()
{
    return QStringLiteral("Tapez un Argument");
}
inline QString newModTitle()
{
    return QStringLiteral("Nouveau Mod");
}
inline QString newModPrompt()
{
    return QStringLiteral("Dossier du nouveau Mod");
}
inline QString retrieveWord()
{
    return QStringLiteral("Récupérer");
}
inline QString shuffleWord()
{
    return QStringLiteral("Mélanger");
}
inline QString saveWord()
{
    return QStringLiteral("Sauver");
}
inline QString currentList()
{
    return QStringLiteral("Liste en cours :");
}
/// The caption of the pane toggle while the right pane is hidden.
inline QString widen()
{
    return QStringLiteral(">>");
}
/// The caption of the pane toggle while the right pane is shown.
inline QString narrow()
{
    return QStringLiteral("<<");
}
/// %1: the map cycle file.
inline QString nothingToSave()
{
    return QStringLiteral("La liste ne contient aucune carte : %1 n'a pas été remplacé.\n"
                          "Cliquez sur Récupérer pour relire les cartes.");
}
/// %1: the map cycle file, %2: why it could not be written.
inline QString saveFailed()
{
    return QStringLiteral("Impossible d'écrire %1 : %2\nL'ancien fichier reste en place.");
}
inline QString greeting(const QString &modName)
{
    return modName + QStringLiteral(" Shuffler");
}
inline QString goodbye()
{
    return QStringLiteral("Good Bye");
}

} // namespace RondelayTexts
