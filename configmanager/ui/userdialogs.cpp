#include "configmanager/ui/userdialogs.h"

#include <QFileDialog>
#include <QFileSystemModel>
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

UserDialogs::~UserDialogs() = default;

void UserDialogs::inform(QWidget *parent, const Notice &notice)
{
    QMessageBox box(QMessageBox::NoIcon, notice.title, notice.text, QMessageBox::Ok, parent);
    box.exec();
}

ConfigViewer::Answer UserDialogs::askYesNoCancel(QWidget *parent, const QString &title,
                                                 const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return ConfigViewer::Answer::Yes;
    case QMessageBox::No:
        return ConfigViewer::Answer::No;
    default:
        return ConfigViewer::Answer::Cancel;
    }
}

QString UserDialogs::chooseFile(QWidget *parent, const FileRequest &request)
{
    const auto dialog = fileDialog(parent, request);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog->selectedFiles().constFirst());
}

std::unique_ptr<QFileDialog> UserDialogs::fileDialog(QWidget *parent, const FileRequest &request)
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
