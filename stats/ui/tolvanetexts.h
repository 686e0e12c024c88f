// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/dialogs/frenchreasons.h"
#include "platform/result/failure.h"

#include <QString>

/** The fixed texts of Tolvane's windows; the prompts put their two parts on two lines. */
namespace TolvaneTexts {

inline QString programTitle()
{
    return QStringLiteral("Tolvane");
}
inline QString identificationTitle()
{
    return QStringLiteral("Identification");
}
inline QString currentCodePrompt()
{
    return QStringLiteral("Veuillez entrer votre\ncode d'authentification actuel");
}
inline QString codePrompt()
{
    return QStringLiteral("Veuillez entrer votre\ncode d'authentification");
}
inline QString newCodePrompt()
{
    return QStringLiteral("Veuillez entrer votre nouveau\ncode d'authentification");
}
inline QString wrongCode()
{
    return QStringLiteral("Votre code n'est pas valide.");
}
inline QString confirmationTitle()
{
    return QStringLiteral("Confirmation");
}
inline QString confirmation()
{
    return QStringLiteral("Etes-vous sûr de vouloir totalement supprimer les statistiques ?");
}
inline QString runFailed()
{
    return QStringLiteral("erreur");
}
inline QString pleaseWait()
{
    return QStringLiteral("Veuillez patienter pendant le calcul des statistiques...");
}
inline QString waitingForUpdate()
{
    return QStringLiteral("En attente de la fin d'une autre mise à jour...");
}
inline QString waitingForDatabase()
{
    return QStringLiteral("En attente d'un autre programme qui écrit dans la base...");
}
inline QString runStopped()
{
    return QStringLiteral("Les statistiques n'ont pas pu être mises à jour.\n"
                          "Cliquez ici ou appuyez sur Échap pour revenir aux résultats.");
}
inline QString codeNotStored()
{
    return QStringLiteral("Le nouveau code n'a pas pu être enregistré.");
}
inline QString resetFailed()
{
    return QStringLiteral("Les statistiques n'ont pas pu être supprimées.");
}
inline QString chooseLogFolder()
{
    return QStringLiteral("Choisissez le dossier des logs du serveur");
}
/// The failure to remember the log folder, told in French.
inline Failure logFolderNotStored(const Failure &why)
{
    return why.toldAs(QStringLiteral("Le dossier des logs n'a pas pu être enregistré :\n%1")
                          .arg(FrenchReasons::translate(why)));
}
inline QString databaseNotOpened()
{
    return QStringLiteral("La base de statistiques n'a pas pu être ouverte :\n%1\n\n%2");
}

} // namespace TolvaneTexts
