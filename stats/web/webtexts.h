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

/// A text in both languages: called with a language, it gives that language's.
struct Text
{
    const char16_t *french;
    const char16_t *english;

    QString operator()(Language language = Language::French) const
    {
        return QString::fromUtf16(language == Language::English ? english : french);
    }
};

inline constexpr Text ranking {u"Classement", u"Ranking"};
inline constexpr Text byPlaces {u"Places", u"Places"};
inline constexpr Text byKills {u"Kills", u"Kills"};
inline constexpr Text orderLabel {u"Trier selon", u"Sort by"};
inline constexpr Text searchLabel {u"Nom commençant par", u"Name starting with"};
inline constexpr Text search {u"Chercher", u"Search"};
inline constexpr Text minimumLabel {u"Kills au moins", u"At least kills"};
inline constexpr Text everyone {u"Tous les joueurs", u"All players"};
/// "%1": the number of players.
inline constexpr Text rankedPlayers {u"%1 joueurs classés", u"%1 ranked players"};
inline constexpr Text oneRankedPlayer {u"1 joueur classé", u"1 ranked player"};
/// "%1": the text searched.
inline constexpr Text namesStartingWith {u"Joueurs dont le nom commence par « %1 »",
                                         u"Players whose name starts with “%1”"};
/// "%1": the least number of kills.
inline constexpr Text withMinimum {u"avec au moins %1 kills", u"with at least %1 kills"};
inline constexpr Text noPlayer {u"Aucun joueur.", u"No player."};
/// "%1": the date and time.
inline constexpr Text updatedAt {u"Mis à jour le %1", u"Updated %1"};
inline constexpr Text neverUpdated {u"Pas encore de mise à jour", u"Not updated yet"};
inline constexpr Text pages {u"Pages", u"Pages"};
inline constexpr Text firstPage {u"« Première", u"« First"};
inline constexpr Text previousPage {u"‹ Précédente", u"‹ Previous"};
inline constexpr Text nextPage {u"Suivante ›", u"Next ›"};
inline constexpr Text lastPage {u"Dernière »", u"Last »"};
/// "%1": the page's number.
inline constexpr Text pageNumber {u"Page %1", u"Page %1"};
/// "%1": the order, "%2" the page's number, "%3" the number of pages.
inline constexpr Text caption {u"Classement par %1, page %2 sur %3",
                               u"Ranking by %1, page %2 of %3"};
/// "%1": the order.
inline constexpr Text captionWithoutNumber {u"Classement par %1", u"Ranking by %1"};
/// "%1": a column.
inline constexpr Text sortBy {u"Trier par %1", u"Sort by %1"};
inline constexpr Text place {u"Place", u"Place"};
inline constexpr Text placeByKills {u"Place aux kills", u"Place by kills"};
/// "%1": a place, "%2" the number of players.
inline constexpr Text placeOf {u"%1 sur %2", u"%1 of %2"};
inline constexpr Text notRanked {u"pas encore classé", u"not ranked yet"};
inline constexpr Text seeInPlaces {u"Voir dans le classement par places",
                                   u"See in the ranking by places"};
inline constexpr Text seeInKills {u"Voir dans le classement par kills",
                                  u"See in the ranking by kills"};
inline constexpr Text backToRanking {u"Retour au classement", u"Back to the ranking"};
inline constexpr Text weapons {u"Kills par arme", u"Kills by weapon"};
/// "%1": the player's name.
inline constexpr Text weaponsOf {u"Kills par arme de %1", u"Kills by weapon of %1"};
inline constexpr Text counters {u"Compteurs", u"Counters"};
inline constexpr Text asJson {u"Cette page en JSON", u"This page as JSON"};
inline constexpr Text notFoundTitle {u"Introuvable", u"Not found"};
inline constexpr Text notFound {u"Page introuvable.", u"No such page."};
inline constexpr Text noSuchPlayer {u"Aucun joueur ne porte ce numéro.",
                                    u"No player has this number."};
inline constexpr Text badRequest {u"Requête incorrecte", u"Bad request"};
inline constexpr Text methodNotAllowedTitle {u"Méthode non permise", u"Method not allowed"};
inline constexpr Text methodNotAllowed {u"Cette adresse se lit seulement (GET ou HEAD).",
                                        u"This address can only be read (GET or HEAD)."};
inline constexpr Text unavailableTitle {u"Service indisponible", u"Service unavailable"};
inline constexpr Text unavailable {
    u"Le classement ne peut pas être lu pour le moment. Réessayez plus tard.",
    u"The ranking cannot be read just now. Try again later."};
/// "%1": the parameter's name.
inline constexpr Text unknownParameter {u"Paramètre inconnu : %1.", u"Unknown parameter: %1."};
/// "%1": the parameter's name.
inline constexpr Text repeatedParameter {u"Le paramètre %1 est donné deux fois.",
                                         u"The parameter %1 is given twice."};
/// "%1": the parameter's name, "%2" what it takes.
inline constexpr Text wrongParameter {u"Le paramètre %1 prend %2.", u"The parameter %1 takes %2."};
inline constexpr Text anOrder {u"places, kills ou le nom d'une colonne (%1)",
                               u"places, kills or a column's name (%1)"};
inline constexpr Text aPlace {u"une place", u"a place"};
/// "%1": a number.
inline constexpr Text atMostCharacters {u"au plus %1 caractères", u"at most %1 characters"};
inline constexpr Text aWholeNumber {u"un nombre entier, 0 ou plus", u"a whole number, 0 or more"};
inline constexpr Text aPlayersNumber {u"le numéro d'un joueur", u"a player's number"};
inline constexpr Text onePosition {u"Donnez un seul de after, before et last.",
                                   u"Give only one of after, before and last."};
/// "%1": the most players a search sorts by another column.
inline constexpr Text tooManyFound {
    u"Plus de %1 joueurs ont un nom qui commence ainsi : donnez plus de lettres pour "
    u"trier par cette colonne.",
    u"More than %1 players have a name that starts so: give more letters to sort by "
    u"this column."};
inline constexpr Text notUtf8 {u"Les paramètres ne sont pas en UTF-8.",
                               u"The parameters are not in UTF-8."};

} // namespace WebTexts
