#pragma once

#include <QString>

#include <optional>

class QWidget;

/**
 * The modal questions and messages of Tolvane's windows. The windows ask through this interface
 * so that a test can answer in their place without a dialog blocking it.
 */
class Prompts
{
public:
    virtual ~Prompts() = default;

    /// A one-line text field with OK and Cancel; no value when the user cancelled.
    virtual std::optional<QString> askText(QWidget *parent, const QString &title,
                                           const QString &label) = 0;
    /// A message with OK only and no icon; \a details, when given, behind a details button.
    virtual void showMessage(QWidget *parent, const QString &title, const QString &text,
                             const QString &details = {}) = 0;
    /// A Yes/No question without icon; true for Yes.
    virtual bool askYesNo(QWidget *parent, const QString &title, const QString &text) = 0;
    /// A folder chooser; the empty text when the user cancelled.
    virtual QString chooseFolder(QWidget *parent, const QString &title) = 0;
};
