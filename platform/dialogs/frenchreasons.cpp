// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/dialogs/frenchreasons.h"

#include <array>
#include <system_error>
#include <utility>

namespace {

using Pair = std::pair<const char *, const char *>;

// What was being done, as the engine's failures name it.
constexpr std::array actions {
    Pair {"cannot open the database", "Impossible d'ouvrir la base"},
    Pair {"cannot create the tables", "Impossible de créer les tables de la base"},
    Pair {"cannot read the players", "Impossible de lire les joueurs de la base"},
    Pair {"cannot mend the players", "Impossible de réparer les joueurs de la base"},
    Pair {"cannot take the writer lock", "Impossible de réserver l'écriture dans la base"},
    Pair {"another update is writing", "Une autre mise à jour écrit dans la base"},
    Pair {"cannot read the ranking", "Impossible de lire le classement de la base"},
    Pair {"cannot start a transaction", "Impossible de commencer l'écriture dans la base"},
    Pair {"cannot commit", "Impossible d'enregistrer les changements dans la base"},
    Pair {"cannot prepare a statement", "Impossible de préparer une requête sur la base"},
    Pair {"cannot add a player", "Impossible d'ajouter un joueur à la base"},
    Pair {"cannot update a player", "Impossible de mettre à jour un joueur dans la base"},
    Pair {"cannot count the players", "Impossible de compter les joueurs de la base"},
    Pair {"cannot read the log progress", "Impossible de lire l'avancement des logs dans la base"},
    Pair {"cannot record the log progress",
          "Impossible d'enregistrer l'avancement des logs dans la base"},
    Pair {"cannot rank the players", "Impossible de classer les joueurs de la base"},
    Pair {"cannot empty the statistics", "Impossible de vider les statistiques de la base"},
    Pair {"cannot read the log", "Impossible de lire le log"},
    Pair {"cannot delete the log", "Impossible de supprimer le log"},
    Pair {"the log folder does not exist", "Le dossier des logs n'existe pas :"},
};

// The system's errors, whichever words the system has for them.
const std::array<std::pair<std::errc, const char *>, 10> systemCauses {{
    {std::errc::permission_denied, "accès refusé"},
    {std::errc::operation_not_permitted, "opération interdite"},
    {std::errc::too_many_files_open, "trop de fichiers ouverts"},
    {std::errc::io_error, "erreur de lecture ou d'écriture sur le disque"},
    {std::errc::filename_too_long, "nom de fichier trop long"},
    {std::errc::not_a_directory, "un élément du chemin n'est pas un dossier"},
    {std::errc::no_such_file_or_directory, "fichier ou dossier introuvable"},
    {std::errc::read_only_file_system, "le disque est en lecture seule"},
    {std::errc::is_a_directory, "c'est un dossier"},
    {std::errc::no_space_on_device, "le disque est plein"},
}};

// The causes the programs state themselves, with no system error behind them.
constexpr std::array ownCauses {
    Pair {"the file shrank", "le fichier a raccourci pendant sa lecture"},
};

// What a kind of failure means for a database, whatever the engine's words for it.
QString causeOfKind(Failure::Kind kind)
{
    switch (kind) {
    case Failure::Kind::Busy:
        return QStringLiteral("elle est occupée par un autre programme");
    case Failure::Kind::ReadOnly:
        return QStringLiteral("elle est en lecture seule");
    case Failure::Kind::DiskFull:
        return QStringLiteral("le disque est plein");
    case Failure::Kind::Corrupt:
        return QStringLiteral("ce n'est pas une base de statistiques, ou elle est endommagée");
    case Failure::Kind::Io:
        return QStringLiteral("erreur de lecture ou d'écriture sur le disque");
    case Failure::Kind::Unreachable:
        return QStringLiteral("elle ne peut pas être ouverte");
    case Failure::Kind::LoginRefused:
        return QStringLiteral("le serveur refuse la connexion");
    default:
        // The others carry what the system or the server said, which names the remedy.
        return {};
    }
}

QString capitalized(QString text)
{
    if (!text.isEmpty())
        text[0] = text.at(0).toUpper();
    return text;
}

// The cause in French, from the system's error, else the kind; empty when neither is known.
QString frenchCause(const Failure &failure)
{
    if (failure.kind() == Failure::Kind::LockTimeout && failure.values().size() == 2) {
        const QString seconds = QString(failure.values().at(1)).replace(u'.', u',');
        const QString &pid = failure.values().at(0);
        return pid.isEmpty()
            ? QStringLiteral("un autre programme la garde encore après %1 s").arg(seconds)
            : QStringLiteral("le programme %1 la garde encore après %2 s").arg(pid, seconds);
    }
    if (const std::error_code error = failure.system()) {
        const std::error_condition condition = error.default_error_condition();
        for (const auto &[code, french] : systemCauses) {
            if (condition == code)
                return QString::fromUtf8(french);
        }
    }
    for (const auto &[english, french] : ownCauses) {
        if (failure.detail() == QLatin1String(english))
            return QString::fromUtf8(french);
    }
    return causeOfKind(failure.kind());
}

} // namespace

QString FrenchReasons::cause(const Failure &failure)
{
    const QString french = frenchCause(failure);
    return french.isEmpty() ? failure.detail() : french;
}

QString FrenchReasons::translate(const Failure &failure)
{
    if (!failure.told().isEmpty())
        return failure.told();
    const QString why = cause(failure);
    for (const auto &[english, french] : actions) {
        if (failure.what() != QLatin1String(english))
            continue;
        if (why.isEmpty())
            return QStringLiteral("%1 %2").arg(QString::fromUtf8(french), failure.object());
        return QStringLiteral("%1 %2 : %3.").arg(QString::fromUtf8(french), failure.object(), why);
    }
    // A sentence of its own; words of the system that are not known here stay as they came.
    const QString french = frenchCause(failure);
    return french.isEmpty() ? failure.text() : capitalized(french);
}
