#pragma once

#include "stats/ui/prompts.h"

#include <QList>
#include <QString>

/** Answers the windows' prompts from a script and records every prompt shown. */
class ScriptedPrompts final : public Prompts
{
public:
    struct Shown
    {
        QString kind; ///< "text", "message", "yesno" or "folder"
        QString title;
        QString text;
        QString details;
    };

    std::optional<QString> askText(QWidget *parent, const QString &title,
                                   const QString &label) override;
    void showMessage(QWidget *parent, const QString &title, const QString &text,
                     const QString &details = {}) override;
    bool askYesNo(QWidget *parent, const QString &title, const QString &text) override;
    QString chooseFolder(QWidget *parent, const QString &title) override;

    /// Answers of the text prompts in turn; no value stands for Cancel, as does running out.
    QList<std::optional<QString>> textAnswers;
    QList<bool> yesNoAnswers;
    QString folderAnswer;
    QList<Shown> shown;

    QStringList kinds() const;
    int count(const QString &kind) const;
};
