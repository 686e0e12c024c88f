// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/failure.h"

#include <QString>

#include <optional>

class QWidget;

/**
 * The modal questions, messages and file choosers the windows of every program open. The
 * windows ask through this interface, so that a test answers in the user's place and records
 * what was shown, without a dialog blocking it.
 */
class Dialogs
{
public:
    enum class Answer { Yes, No, Cancel };

    struct FileRequest
    {
        QString title;
        /// "Label (patterns)"; the dialog shows only the label.
        QString nameFilter;
        /// Folders and files that can be run, whatever the pattern.
        bool executablesOnly = false;
    };

    virtual ~Dialogs() = default;

    /// A one-line text field with OK and Cancel; no value when the user cancelled.
    virtual std::optional<QString> askText(QWidget *parent, const QString &title,
                                           const QString &label) = 0;
    /// The same prompt for a secret, such as an access code: what is typed is masked.
    virtual std::optional<QString> askSecret(QWidget *parent, const QString &title,
                                             const QString &label) = 0;
    /// A message with OK only and no icon; \a details, when given, behind a details button.
    virtual void inform(QWidget *parent, const QString &title, const QString &text,
                        const QString &details = {}) = 0;
    /// A message about \a failure, shown in French (FrenchReasons), with the failure in the
    /// words of the system or the engine behind the details button, for a search or a report.
    void informFailure(QWidget *parent, const QString &title, const Failure &failure);
    /// A Yes/No question without icon; true for Yes.
    virtual bool askYesNo(QWidget *parent, const QString &title, const QString &text) = 0;
    /// A Yes/No/Cancel question; closing the box is Cancel.
    virtual Answer askYesNoCancel(QWidget *parent, const QString &title, const QString &text) = 0;
    /// A folder chooser; the empty text when the user cancelled.
    virtual QString chooseFolder(QWidget *parent, const QString &title) = 0;
    /// A file-open dialog; the chosen file's full path, or the empty text when cancelled.
    virtual QString chooseFile(QWidget *parent, const FileRequest &request) = 0;
};
