// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/core/quorreltexts.h"

namespace QuorrelTexts {

QString launchFailure(GameLauncher::Failure failure, const QString &subject, const QString &detail)
{
    using Failure = GameLauncher::Failure;
    switch (failure) {
    case Failure::EmptyCommand:
        return QStringLiteral("La ligne de commande est vide.");
    case Failure::ProgramNotFound:
        return QStringLiteral("Programme introuvable : %1").arg(subject);
    case Failure::NotAProgram:
        return QStringLiteral("Ce fichier n'est pas un programme exécutable : %1").arg(subject);
    case Failure::StartRefused:
        return QStringLiteral("Le programme %1 n'a pas pu être démarré : %2").arg(subject, detail);
    }
    return subject;
}

QString launchFailed(const QString &command, const QString &reason)
{
    return QStringLiteral("Le jeu n'a pas pu être lancé avec la ligne de commande :\n%1\n\n%2")
        .arg(command, reason);
}

QString unreadableConfig(const QString &name, const QString &path, const QString &reason)
{
    return QStringLiteral("La configue \"%1\" n'a pas pu être lue :\n%2\n%3")
        .arg(name, path, reason);
}

QString noConfigFile()
{
    return QStringLiteral("aucun fichier de configuration n'est enregistré (Alt_R).");
}

QString backupFailed(const QString &target, const QString &path, const QString &reason)
{
    return QStringLiteral("La copie de sécurité de %1 n'a pas pu être faite, la configue n'a pas "
                          "été mise en place :\n%2\n%3")
        .arg(target, path, reason);
}

QString copyFailed(const QString &name, const QString &target, const QString &reason)
{
    return QStringLiteral("La configue \"%1\" n'a pas pu être copiée sur %2 :\n%3")
        .arg(name, target, reason);
}

QString invalidConfigName(const QString &name)
{
    const QString refused =
        QStringLiteral("\"%1\" n'est pas un nom de configue valide. Un nom de configue :")
            .arg(name);
#ifdef Q_OS_WIN
    return refused
        + QStringLiteral("\n- ne contient aucun des caractères / \\ < > : \" | ? * ni de caractère "
                         "de contrôle ou nul ;\n- n'est ni « . » ni « .. », et ne finit ni par un "
                         "espace ni par un point ;\n- tient en 255 octets avec « .cfg ».");
#else
    return refused
        + QStringLiteral("\n- ne contient ni / ni \\ ni le caractère nul ;\n- ne commence pas par "
                         "un point (la configue serait cachée ; « . » et « .. » sont refusés) ;\n- "
                         "tient en 255 octets avec « .cfg ».");
#endif
}

QString notCreated(const QString &why)
{
    return QStringLiteral("Votre configue n'a pas été créée :\n") + why;
}

QString unencodableCharacter(const QString &character, char32_t code, qsizetype line)
{
    return QStringLiteral("Le caractère « %1 » (U+%2, ligne %3) ne peut pas être enregistré : le "
                          "fichier est écrit en Windows-1252, qui ne le contient pas. Retirez-le "
                          "ou remplacez-le.")
        .arg(character, QString::number(code, 16).toUpper().rightJustified(4, u'0'),
             QString::number(line));
}

QString editsRefused(const QString &path, const QString &reason)
{
    return QStringLiteral("Les modifications n'ont pas été enregistrées dans %1 :\n%2")
        .arg(path, reason);
}

QString editsNotWritten(const QString &path, const QString &reason)
{
    return QStringLiteral("Les modifications n'ont pas pu être enregistrées dans %1 :\n%2")
        .arg(path, reason);
}

QString pathsNotStored(const QString &settingsLocation)
{
    // The settings store tells no more than that the file could not be written.
    return QStringLiteral("Les chemins n'ont pas pu être enregistrés dans %1 :\nle fichier des "
                          "réglages ne peut pas être écrit (disque plein ou accès refusé).")
        .arg(settingsLocation);
}

} // namespace QuorrelTexts
