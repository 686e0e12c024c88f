// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/dialogs/frenchreasons.h"

#include <QRegularExpression>
#include <QStringList>

#include <array>
#include <utility>

namespace {

using Pair = std::pair<const char *, const char *>;

// What the store was doing, as its reasons begin: "<what> (<database>): <why>".
constexpr std::array storeActions {
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
};

// The words of SQLite and of the system that the reasons carry, found anywhere in them.
constexpr std::array causes {
    Pair {"database is locked", "elle est occupée par un autre programme"},
    Pair {"another program is writing", "un autre programme y écrit"},
    Pair {"attempt to write a readonly database", "elle est en lecture seule"},
    Pair {"database or disk is full", "le disque est plein"},
    Pair {"No space left on device", "le disque est plein"},
    Pair {"disk I/O error", "erreur de lecture ou d'écriture sur le disque"},
    Pair {"database disk image is malformed", "le fichier est endommagé"},
    Pair {"file is not a database", "ce fichier n'est pas une base de statistiques"},
    Pair {"unable to open database file", "le fichier ne peut pas être ouvert"},
    Pair {"Permission denied", "accès refusé"},
    Pair {"Operation not permitted", "opération interdite"},
    Pair {"Too many open files", "trop de fichiers ouverts"},
    Pair {"Input/output error", "erreur de lecture ou d'écriture sur le disque"},
    Pair {"File name too long", "nom de fichier trop long"},
    Pair {"Not a directory", "un élément du chemin n'est pas un dossier"},
    Pair {"No such file or directory", "fichier ou dossier introuvable"},
    Pair {"Read-only file system", "le disque est en lecture seule"},
    Pair {"Is a directory", "c'est un dossier"},
    Pair {"the file shrank", "le fichier a raccourci pendant sa lecture"},
};

QString cause(const QString &why)
{
    static const QRegularExpression holder(
        QStringLiteral("^(?:process (\\d+)|another process) still holds the database after "
                       "([0-9.]+) s$"));
    if (const auto match = holder.match(why); match.hasMatch()) {
        const QString seconds = match.captured(2).replace(QLatin1Char('.'), QLatin1Char(','));
        return match.captured(1).isEmpty()
            ? QStringLiteral("un autre programme la garde encore après %1 s").arg(seconds)
            : QStringLiteral("le programme %1 la garde encore après %2 s")
                  .arg(match.captured(1), seconds);
    }
    for (const auto &[english, french] : causes) {
        if (why.contains(QLatin1String(english), Qt::CaseInsensitive))
            return QString::fromUtf8(french);
    }
    return why;
}

// The system's words put into French where they stand; at the start of a line, with a capital.
QString knownWords(const QString &line)
{
    QString result = line;
    for (const auto &[english, french] : causes) {
        const QString words = QLatin1String(english);
        QString replacement = QString::fromUtf8(french);
        qsizetype at = 0;
        while ((at = result.indexOf(words, at, Qt::CaseInsensitive)) >= 0) {
            QString here = replacement;
            if (at == 0)
                here[0] = here.at(0).toUpper();
            result.replace(at, words.size(), here);
            at += here.size();
        }
    }
    return result;
}

// One of the engine's own reasons as a French sentence; the empty text for any other.
QString engineReason(const QString &reason)
{
    // A reason may run over several lines, as a database server's messages do.
    static const QRegularExpression storeReason(QStringLiteral("^(.+?) \\((.*)\\): (.*)$"),
                                                QRegularExpression::DotMatchesEverythingOption);
    if (const auto match = storeReason.match(reason); match.hasMatch()) {
        for (const auto &[english, french] : storeActions) {
            if (match.captured(1) == QLatin1String(english))
                return QStringLiteral("%1 %2 : %3.")
                    .arg(QString::fromUtf8(french), match.captured(2), cause(match.captured(3)));
        }
    }
    static const QRegularExpression missingFolder(
        QStringLiteral("^the log folder (.*) does not exist$"));
    if (const auto match = missingFolder.match(reason); match.hasMatch())
        return QStringLiteral("Le dossier des logs %1 n'existe pas.").arg(match.captured(1));
    static const QRegularExpression fileReason(QStringLiteral("^cannot (read|delete) (.*?): (.*)$"),
                                               QRegularExpression::DotMatchesEverythingOption);
    if (const auto match = fileReason.match(reason); match.hasMatch()) {
        const QString action = match.captured(1) == QLatin1String("read")
            ? QStringLiteral("Impossible de lire le log %1 : %2.")
            : QStringLiteral("Impossible de supprimer le log %1 : %2.");
        return action.arg(match.captured(2), cause(match.captured(3)));
    }
    return {};
}

// What a kind of failure means for the database, whatever the engine's words for it.
QString causeOfKind(Failure::Kind kind)
{
    switch (kind) {
    case Failure::Kind::Busy:
        return QStringLiteral("elle est occupée par un autre programme");
    case Failure::Kind::ReadOnly:
        return QStringLiteral("elle est en lecture seule");
    case Failure::Kind::DiskFull:
        return QStringLiteral("le disque est plein");
    default:
        // The others carry what the system or the server said, which names the remedy.
        return {};
    }
}

} // namespace

QString FrenchReasons::translate(const Failure &failure)
{
    for (const auto &[english, french] : storeActions) {
        if (failure.what() != QLatin1String(english))
            continue;
        const QString byKind = causeOfKind(failure.kind());
        return QStringLiteral("%1 %2 : %3.")
            .arg(QString::fromUtf8(french), failure.object(),
                 byKind.isEmpty() ? cause(failure.detail()) : byKind);
    }
    return translate(failure.text());
}

QString FrenchReasons::translate(const QString &reason)
{
    if (const QString french = engineReason(reason); !french.isEmpty())
        return french;
    // A message of the windows' own, which carries a reason on one of its lines.
    QStringList lines = reason.split(QLatin1Char('\n'));
    for (auto &line : lines) {
        const QString french = engineReason(line);
        line = french.isEmpty() ? knownWords(line) : french;
    }
    return lines.join(QLatin1Char('\n'));
}
