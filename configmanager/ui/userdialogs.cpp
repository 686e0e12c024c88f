#include "userdialogs.h"

#include <QFileDialog>
#include <QMessageBox>

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
    QFileDialog dialog(parent, request.title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(request.nameFilter);
    if (request.executablesOnly) {
        // Only Qt's own dialog honours a permission filter; folders stay listed to walk through.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}
