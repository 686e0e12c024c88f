#pragma once

#include "stats/ui/prompts.h"

class QInputDialog;
class QMessageBox;

/** The prompts as the user sees them: Qt's modal input dialogs, message boxes and choosers. */
class DialogPrompts final : public Prompts
{
public:
    std::optional<QString> askText(QWidget *parent, const QString &title,
                                   const QString &label) override;
    void showMessage(QWidget *parent, const QString &title, const QString &text,
                     const QString &details = {}) override;
    bool askYesNo(QWidget *parent, const QString &title, const QString &text) override;
    QString chooseFolder(QWidget *parent, const QString &title) override;

    // The dialogs themselves, also used to picture them.
    static QInputDialog *makeTextDialog(QWidget *parent, const QString &title,
                                        const QString &label);
    static QMessageBox *makeMessageBox(QWidget *parent, const QString &title, const QString &text,
                                       const QString &details = {});
    static QMessageBox *makeYesNoBox(QWidget *parent, const QString &title, const QString &text);
};
