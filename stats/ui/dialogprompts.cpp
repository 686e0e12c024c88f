#include "stats/ui/dialogprompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include <memory>

std::optional<QString> DialogPrompts::askText(QWidget *parent, const QString &title,
                                              const QString &label)
{
    const std::unique_ptr<QInputDialog> dialog(makeTextDialog(parent, title, label));
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog->textValue();
}

void DialogPrompts::showMessage(QWidget *parent, const QString &title, const QString &text,
                                const QString &details)
{
    const std::unique_ptr<QMessageBox> box(makeMessageBox(parent, title, text, details));
    box->exec();
}

bool DialogPrompts::askYesNo(QWidget *parent, const QString &title, const QString &text)
{
    const std::unique_ptr<QMessageBox> box(makeYesNoBox(parent, title, text));
    return box->exec() == QMessageBox::Yes;
}

QString DialogPrompts::chooseFolder(QWidget *parent, const QString &title)
{
    return QFileDialog::getExistingDirectory(parent, title);
}

QInputDialog *DialogPrompts::makeTextDialog(QWidget *parent, const QString &title,
                                            const QString &label)
{
    auto *dialog = new QInputDialog(parent);
    dialog->setWindowTitle(title);
    dialog->setLabelText(label);
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setTextValue(QString());
    return dialog;
}

QMessageBox *DialogPrompts::makeMessageBox(QWidget *parent, const QString &title,
                                           const QString &text, const QString &details)
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    if (!details.isEmpty())
        box->setDetailedText(details);
    return box;
}

QMessageBox *DialogPrompts::makeYesNoBox(QWidget *parent, const QString &title, const QString &text)
{
    return new QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No,
                           parent);
}
