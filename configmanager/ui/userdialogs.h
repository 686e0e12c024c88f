#pragma once

#include "configmanager/core/configviewer.h"
#include "configmanager/core/notice.h"

#include <QString>

#include <memory>

class QFileDialog;
class QWidget;

/**
 * The modal boxes and file dialogs the windows open. Tests replace it with one that answers at
 * once and records what was shown.
 */
class UserDialogs
{
public:
    struct FileRequest
    {
        QString title;
        /// "Label (patterns)"; the dialog shows only the label.
        QString nameFilter;
        bool executablesOnly = false;
    };

    virtual ~UserDialogs();

    virtual void inform(QWidget *parent, const Notice &notice);
    virtual ConfigViewer::Answer askYesNoCancel(QWidget *parent, const QString &title,
                                                const QString &text);
    /// The chosen file's full path, or the empty text when the dialog was cancelled.
    virtual QString chooseFile(QWidget *parent, const FileRequest &request);

    /// The file-open dialog chooseFile() shows for \a request, not yet shown.
    static std::unique_ptr<QFileDialog> fileDialog(QWidget *parent, const FileRequest &request);
};
