// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/dialogs/dialogs.h"

#include <memory>

class QFileDialog;
class QInputDialog;
class QMessageBox;

/** The dialogs as the user sees them: Qt's modal input dialogs, message boxes and choosers. */
class QtDialogs final : public Dialogs
{
public:
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

    // The dialogs themselves, not yet shown: also used to picture them and to try them.
    static std::unique_ptr<QInputDialog> textDialog(QWidget *parent, const QString &title,
                                                    const QString &label, bool masked = false);
    static std::unique_ptr<QMessageBox> messageBox(QWidget *parent, const QString &title,
                                                   const QString &text,
                                                   const QString &details = {});
    static std::unique_ptr<QMessageBox> yesNoBox(QWidget *parent, const QString &title,
                                                 const QString &text);
    static std::unique_ptr<QMessageBox> yesNoCancelBox(QWidget *parent, const QString &title,
                                                       const QString &text);
    static std::unique_ptr<QFileDialog> fileDialog(QWidget *parent, const FileRequest &request);
};
