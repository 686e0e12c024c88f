// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

/**
 * The words of Tolvane's web pages: in French, the language of its windows, unless the browser
 * asks for English.
 */
namespace WebTexts {

enum class Language { French, English };

inline QString pick(Language language, const char16_t *french, const char16_t *english)
{
    return QString::fromUtf16(language == Language::English ? english : french);
}
inline QString ranking(Language l = Language::French)
{
    return pick(l, u"Classement", u"Ranking");
}
inline QString byPlaces(Language l = Language::French)
{
    return pick(l, u"Places", u"Places");
}
inline QString byKills(Language l = Language::French)
{
    return pick(l, u"Kills", u"Kills");
}
inline QString orderLabel(Language l = Language::French)
{
    return pick(l, u"Trier selon", u"Sort by");
}
inline QString searchLabel(Language l = Language::French)
{
    return pick(l, u"Nom commençant par", u"Name starting with");
}
inline QString search(Language l = Language::French)
{
    return pick(l, u"Chercher", u"Search");
}
inline QString minimumLabel(Language l = Language::French)
{
    return pick(l, u"Kills au moins", u"At least kills");
}
inline QString everyone(Language l = Language::French)
{
    return pick(l, u"Tous les joueurs", u"All players");
}
/// "%1": the number of players.
inline QString rankedPlayers(Language l = Language::French)
{
    return pick(l, u"%1 joueurs classés", u"%1 ranked players");
}
inline QString oneRankedPlayer(Language l = Language::French)
{
    return pick(l, u"1 joueur classé", u"1 ranked player");
}
/// "%1": the text searched.
inline QString namesStartingWith(Language l = Language::French)
{
    return pick(l, u"Joueurs dont le nom commence par « %1 »",
                u"Players whose name starts with “%1”");
}
/// "%1": the least number of kills.
inline QString withMinimum(Language l = Language::French)
{
    return pick(l, u"avec au moins %1 kills", u"with at least %1 kills");
}
inline QString noPlayer(Language l = Language::French)
{
    return pick(l, u"Aucun joueur.", u"No player.");
}
/// "%1": the date and time.
inline QString updatedAt(Language l = Language::French)
{
    return pick(l, u"Mis à jour le %1", u"Updated %1");
}
inline QString neverUpdated(Language l = Language::French)
{
    return pick(l, u"Pas encore de mise à jour", u"Not updated yet");
}
inline QString pages(Language l = Language::French)
{
    return pick(l, u"Pages", u"Pages");
}
inline QString firstPage(Language l = Language::French)
{
    return pick(l, u"« Première", u"« First");
}
inline QString previousPage(Language l = Language::French)
{
    return pick(l, u"‹ Précédente", u"‹ Previous");
}
inline QString nextPage(Language l = Language::French)
{
    return pick(l, u"Suivante ›", u"Next ›");
}
inline QString lastPage(Language l = Language::French)
{
    return pick(l, u"Dernière »", u"Last »");
}
/// "%1": the page's number.
inline QString pageNumber(Language l = Language::French)
{
    return pick(l, u"Page %1", u"Page %1");
}
/// "%1": the order, "%2" the page's number, "%3" the number of pages.
inline QString caption(Language l = Language::French)
{
    return pick(l, u"Classement par %1, page %2 sur %3", u"Ranking by %1, page %2 of %3");
}
/// "%1": the order.
inline QString captionWithoutNumber(Language l = Language::French)
{
    return pick(l, u"Classement par %1", u"Ranking by %1");
}
/// "%1": a column.
inline QString sortBy(Language l = Language::French)
{
    return pick(l, u"Trier par %1", u"Sort by %1");
}
inline QString place(Language l = Language::French)
{
    return pick(l, u"Place", u"Place");
}
inline QString placeByKills(Language l = Language::French)
{
    return pick(l, u"Place aux kills", u"Place by kills");
}
/// "%1": a place, "%2" the number of players.
inline QString placeOf(Language l = Language::French)
{
    return pick(l, u"%1 sur %2", u"%1 of %2");
}
inline QString notRanked(Language l = Language::French)
{
    return pick(l, u"pas encore classé", u"not ranked yet");
}
inline QString seeInPlaces(Language l = Language::French)
{
    return pick(l, u"Voir dans le classement par places", u"See in the ranking by places");
}
inline QString seeInKills(Language l = Language::French)
{
    return pick(l, u"Voir dans le classement par kills", u"See in the ranking by kills");
}
inline QString backToRanking(Language l = Language::French)
{
    return pick(l, u"Retour au classement", u"Back to the ranking");
}
inline QString weapons(Language l = Language::French)
{
    return pick(l, u"Kills par arme", u"Kills by weapon");
}
/// "%1": the player's name.
inline QString weaponsOf(Language l = Language::French)
{
    return pick(l, u"Kills par arme de %1", u"Kills by weapon of %1");
}
inline QString counters(Language l = Language::French)
{
    return pick(l, u"Compteurs", u"Counters");
}
inline QString asJson(Language l = Language::French)
{
    return pick(l, u"Cette page en JSON", u"This page as JSON");
}
inline QString notFoundTitle(Language l = Language::French)
{
    return pick(l, u"Introuvable", u"Not found");
}
inline QString notFound(Language l = Language::French)
{
    return pick(l, u"Page introuvable.", u"No such page.");
}
inline QString noSuchPlayer(Language l = Language::French)
{
    return pick(l, u"Aucun joueur ne porte ce numéro.", u"No player has this number.");
}
inline QString badRequest(Language l = Language::French)
{
    return pick(l, u"Requête incorrecte", u"Bad request");
}
inline QString methodNotAllowedTitle(Language l = Language::French)
{
    return pick(l, u"Méthode non permise", u"Method not allowed");
}
inline QString methodNotAllowed(Language l = Language::French)
{
    return pick(l, u"Cette adresse se lit seulement (GET ou HEAD).",
                u"This address can only be read (GET or HEAD).");
}
inline QString unavailableTitle(Language l = Language::French)
{
    return pick(l, u"Service indisponible", u"Service unavailable");
}
inline QString unavailable(Language l = Language::French)
{
    return pick(l, u"Le classement ne peut pas être lu pour le moment. Réessayez plus tard.",
                u"The ranking cannot be read just now. Try again later.");
}
/// "%1": the parameter's name.
inline QString unknownParameter(Language l = Language::French)
{
    return pick(l, u"Paramètre inconnu : %1.", u"Unknown parameter: %1.");
}
/// "%1": the parameter's name.
inline QString repeatedParameter(Language l = Language::French)
{
    return pick(l, u"Le paramètre %1 est donné deux fois.", u"The parameter %1 is given twice.");
}
/// "%1": the parameter's name, "%2" what it takes.
inline QString wrongParameter(Language l = Language::French)
{
    return pick(l, u"Le paramètre %1 prend %2.", u"The parameter %1 takes %2.");
}
inline QString anOrder(Language l = Language::French)
{
    return pick(l, u"places, kills ou le nom d'une colonne (%1)",
                u"places, kills or a column's name (%1)");
}
inline QString aPlace(Language l = Language::French)
{
    return pick(l, u"une place", u"a place");
}
/// "%1": a number.
inline QString atMostCharacters(Language l = Language::French)
{
    return pick(l, u"au plus %1 caractères", u"at most %1 characters");
}
inline QString aWholeNumber(Language l = Language::French)
{
    return pick(l, u"un nombre entier, 0 ou plus", u"a whole number, 0 or more");
}
inline QString aPlayersNumber(Language l = Language::French)
{
    return pick(l, u"le numéro d'un joueur", u"a player's number");
}
inline QString onePosition(Language l = Language::French)
{
    return pick(l, u"Donnez un seul de after, before et last.",
                u"Give only one of after, before and last.");
}
/// "%1": the most players a search sorts by another column.
inline QString tooManyFound(Language l = Language::French)
{
    return pick(l,
                u"Plus de %1 joueurs ont un nom qui commence ainsi : donnez plus de lettres pour "
                u"trier par cette colonne.",
                u"More than %1 players have a name that starts so: give more letters to sort by "
                u"this column.");
}
inline QString notUtf8(Language l = Language::French)
{
    return pick(l, u"Les paramètres ne sont pas en UTF-8.", u"The parameters are not in UTF-8.");
}

} // namespace WebTexts
