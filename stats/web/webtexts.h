// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

/** The words of Tolvane's web pages, in the language of its windows. */
namespace WebTexts {

inline QString ranking()
{
    return QStringLiteral("Classement");
}
inline QString byPlaces()
{
    return QStringLiteral("Places");
}
inline QString byKills()
{
    return QStringLiteral("Kills");
}
inline QString orderLabel()
{
    return QStringLiteral("Trier selon");
}
inline QString searchLabel()
{
    return QStringLiteral("Nom commençant par");
}
inline QString search()
{
    return QStringLiteral("Chercher");
}
inline QString everyone()
{
    return QStringLiteral("Tous les joueurs");
}
/// "%1": the number of players.
inline QString rankedPlayers()
{
    return QStringLiteral("%1 joueurs classés");
}
/// "%1": the text searched.
inline QString namesStartingWith()
{
    return QStringLiteral("Joueurs dont le nom commence par « %1 »");
}
inline QString noPlayer()
{
    return QStringLiteral("Aucun joueur.");
}
/// "%1": the date and time.
inline QString updatedAt()
{
    return QStringLiteral("Mis à jour le %1");
}
inline QString neverUpdated()
{
    return QStringLiteral("Pas encore de mise à jour");
}
inline QString pages()
{
    return QStringLiteral("Pages");
}
inline QString firstPage()
{
    return QStringLiteral("« Première");
}
inline QString previousPage()
{
    return QStringLiteral("‹ Précédente");
}
inline QString nextPage()
{
    return QStringLiteral("Suivante ›");
}
inline QString lastPage()
{
    return QStringLiteral("Dernière »");
}
/// "%1": the page's number.
inline QString pageNumber()
{
    return QStringLiteral("Page %1");
}
/// "%1": the order, "%2" the page's number, "%3" the number of pages.
inline QString caption()
{
    return QStringLiteral("Classement par %1, page %2 sur %3");
}
/// "%1": the order.
inline QString captionWithoutNumber()
{
    return QStringLiteral("Classement par %1");
}
inline QString place()
{
    return QStringLiteral("Place");
}
inline QString placeByKills()
{
    return QStringLiteral("Place aux kills");
}
/// "%1": a place, "%2" the number of players.
inline QString placeOf()
{
    return QStringLiteral("%1 sur %2");
}
inline QString notRanked()
{
    return QStringLiteral("pas encore classé");
}
inline QString seeInPlaces()
{
    return QStringLiteral("Voir dans le classement par places");
}
inline QString seeInKills()
{
    return QStringLiteral("Voir dans le classement par kills");
}
inline QString backToRanking()
{
    return QStringLiteral("Retour au classement");
}
inline QString weapons()
{
    return QStringLiteral("Kills par arme");
}
/// "%1": the player's name.
inline QString weaponsOf()
{
    return QStringLiteral("Kills par arme de %1");
}
inline QString counters()
{
    return QStringLiteral("Compteurs");
}
inline QString asJson()
{
    return QStringLiteral("Cette page en JSON");
}
inline QString notFound()
{
    return QStringLiteral("Page introuvable.");
}
inline QString noSuchPlayer()
{
    return QStringLiteral("Aucun joueur ne porte ce numéro.");
}
inline QString badRequest()
{
    return QStringLiteral("Requête incorrecte");
}
inline QString methodNotAllowed()
{
    return QStringLiteral("Cette adresse se lit seulement (GET ou HEAD).");
}
inline QString unavailable()
{
    return QStringLiteral("Le classement ne peut pas être lu pour le moment. Réessayez plus tard.");
}
/// "%1": the parameter's name.
inline QString unknownParameter()
{
    return QStringLiteral("Paramètre inconnu : %1.");
}
/// "%1": the parameter's name.
inline QString repeatedParameter()
{
    return QStringLiteral("Le paramètre %1 est donné deux fois.");
}
/// "%1": the parameter's name, "%2" what it takes.
inline QString wrongParameter()
{
    return QStringLiteral("Le paramètre %1 prend %2.");
}
inline QString onePosition()
{
    return QStringLiteral("Donnez un seul de after, before et last.");
}
inline QString notUtf8()
{
    return QStringLiteral("Les paramètres ne sont pas en UTF-8.");
}

} // namespace WebTexts
