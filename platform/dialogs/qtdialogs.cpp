// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/dialogs/qtdialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QSortFilterProxyModel>

namespace {

// Folders, to walk through, and the files that can be run. The dialog's own QDir::Executable
// filter cannot do this: its file model hides whatever carries a permission left out of the
// filter, so every readable or writable entry vanished, which is nearly all of them.
class ExecutablesAndFolders final : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override
    {
        const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
        if (!files)
            return true;
        const QFileInfo entry(files->filePath(files->index(sourceRow, 0, sourceParent)));
        return entry.isDir() || entry.isExecutable();
    }
};

} // namespace

std::optional<QString> QtDialogs::askText(QWidget *parent, const QString &title,
                                          const QString &label)
{
    const auto dialog = textDialog(parent, title, label);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog->textValue();
}

std::optional<QString> QtDialogs::askSecret(QWidget *parent, const QString &title,
                                            const QString &label)
{
    const auto dialog = textDialog(parent, title, label, true);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog->textValue();
}

void QtDialogs::inform(QWidget *parent, const QString &title, const QString &text,
                       const QString &details)
{
    messageBox(parent, title, text, details)->exec();
}

bool QtDialogs::askYesNo(QWidget *parent, const QString &title, const QString &text)
{
    return yesNoBox(parent, title, text)->exec() == QMessageBox::Yes;
}

Dialogs::Answer QtDialogs::askYesNoCancel(QWidget *parent, const QString &title,
                                          const QString &text)
{
    switch (yesNoCancelBox(parent, title, text)->exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

QString QtDialogs::chooseFolder(QWidget *parent, const QString &title)
{
    return QFileDialog::getExistingDirectory(parent, title);
}

QString QtDialogs::chooseFile(QWidget *parent, const FileRequest &request)
{
    const auto dialog = fileDialog(parent, request);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog->selectedFiles().constFirst());
}

std::unique_ptr<QInputDialog> QtDialogs::textDialog(QWidget *parent, const QString &title,
                                                    const QString &label, bool masked)
{
    auto dialog = std::make_unique<QInputDialog>(parent);
    dialog->setWindowTitle(title);
    dialog->setLabelText(label);
    dialog->setInputMode(QInputDialog::TextInput);
    // Someone looking over the shoulder must not read a code as it is typed.
    dialog->setTextEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
    dialog->setTextValue(QString());
    return dialog;
}

std::unique_ptr<QMessageBox> QtDialogs::messageBox(QWidget *parent, const QString &title,
                                                   const QString &text, const QString &details)
{
    auto box =
        std::make_unique<QMessageBox>(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    if (!details.isEmpty())
        box->setDetailedText(details);
    return box;
}

std::unique_ptr<QMessageBox> QtDialogs::yesNoBox(QWidget *parent, const QString &title,
                                                 const QString &text)
{
    return std::make_unique<QMessageBox>(QMessageBox::NoIcon, title, text,
                                         QMessageBox::Yes | QMessageBox::No, parent);
}

std::unique_ptr<QMessageBox> QtDialogs::yesNoCancelBox(QWidget *parent, const QString &title,
                                                       const QString &text)
{
    return std::make_unique<QMessageBox>(QMessageBox::Question, title, text,
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                         parent);
}

std::unique_ptr<QFileDialog> QtDialogs::fileDialog(QWidget *parent, const FileRequest &request)
{
    auto dialog = std::make_unique<QFileDialog>(parent, request.title);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // The pattern may spell out letter cases; the user reads only the label.
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setNameFilter(request.nameFilter);
    if (request.executablesOnly) {
        // Only Qt's own dialog takes a filtering model.
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setProxyModel(new ExecutablesAndFolders(dialog.get()));
    }
    return dialog;
}
