// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

/**
 * Rondelay's fixed texts: its French messages and the spoken phrases. The window's captions stay
 * with its layout.
 */
namespace RondelayTexts {

inline QString programTitle()
{
    return QStringLiteral("Rondelay");
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
