// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/dialogs/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

/** Answers every dialog at once from a script, in the user's place, and records each one shown. */
class ScriptedDialogs final : public Dialogs
{
public:
    struct Shown
    {
        QString kind; ///< "text", "secret", "message", "yesno", "yesnocancel", "folder", "file"
        QString title;
        QString text;
        QString details;
    };

    std::optional<QString> askText(QWidget *parent, const QString &title,
                                   const QString &label) override;
    std::optional<QString> askSecret(QWidget *parent, const QString &title,
                                     const QString &label) override;
    void inform(QWidget *parent, const QString &title, const QString &text,
                const QString &details = {}) override;
    bool askYesNo(QWidget *parent, const QString &title, const QString &text) override;
    Answer askYesNoCancel(QWidget *parent, const QString &title, const QString &text) override;
    QString chooseFolder(QWidget *parent, const QString &title) override;
    QString chooseFile(QWidget *parent, const FileRequest &request) override;

    /// Answers of the text and secret prompts in turn; no value stands for Cancel, as does
    /// running out.
    QList<std::optional<QString>> textAnswers;
    /// Answers of the Yes/No questions in turn; running out is No.
    QList<bool> yesNoAnswers;
    /// The answer to every Yes/No/Cancel question.
    Answer yesNoCancelAnswer = Answer::Cancel;
    QString folderAnswer;
    QString fileAnswer;

    QList<Shown> shown;
    QList<FileRequest> fileRequests;

    QStringList kinds() const;
    int count(const QString &kind) const;
    /// The texts of the messages shown, in turn.
    QStringList messages() const;
};
