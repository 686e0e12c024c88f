// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/testsupport/scripteddialogs.h"

std::optional<QString> ScriptedDialogs::askText(QWidget *, const QString &title,
                                                const QString &label)
{
    shown.append({QStringLiteral("text"), title, label, {}});
    return textAnswers.isEmpty() ? std::nullopt : textAnswers.takeFirst();
}

std::optional<QString> ScriptedDialogs::askSecret(QWidget *, const QString &title,
                                                  const QString &label)
{
    shown.append({QStringLiteral("secret"), title, label, {}});
    return textAnswers.isEmpty() ? std::nullopt : textAnswers.takeFirst();
}

void ScriptedDialogs::inform(QWidget *, const QString &title, const QString &text,
                             const QString &details)
{
    shown.append({QStringLiteral("message"), title, text, details});
}

bool ScriptedDialogs::askYesNo(QWidget *, const QString &title, const QString &text)
{
    shown.append({QStringLiteral("yesno"), title, text, {}});
    return !yesNoAnswers.isEmpty() && yesNoAnswers.takeFirst();
}

Dialogs::Answer ScriptedDialogs::askYesNoCancel(QWidget *, const QString &title,
                                                const QString &text)
{
    shown.append({QStringLiteral("yesnocancel"), title, text, {}});
    return yesNoCancelAnswer;
}

QString ScriptedDialogs::chooseFolder(QWidget *, const QString &title)
{
    shown.append({QStringLiteral("folder"), title, {}, {}});
    return folderAnswer;
}

QString ScriptedDialogs::chooseFile(QWidget *, const FileRequest &request)
{
    shown.append({QStringLiteral("file"), request.title, request.nameFilter, {}});
    fileRequests.append(request);
    return fileAnswer;
}

QStringList ScriptedDialogs::kinds() const
{
    QStringList result;
    for (const Shown &dialog : shown)
        result.append(dialog.kind);
    return result;
}

int ScriptedDialogs::count(const QString &kind) const
{
    return int(kinds().count(kind));
}

QStringList ScriptedDialogs::messages() const
{
    QStringList result;
    for (const Shown &dialog : shown) {
        if (dialog.kind == QLatin1String("message"))
            result.append(dialog.text);
    }
    return result;
}
