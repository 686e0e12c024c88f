#pragma once

#include "configviewer.h"
#include "notice.h"

#include <QString>

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
        QString nameFilter;
        bool executablesOnly = false;
    };

    virtual ~UserDialogs();

    virtual void inform(QWidget *parent, const Notice &notice);
    virtual ConfigViewer::Answer askYesNoCancel(QWidget *parent, const QString &title,
                                                const QString &text);
    /// The chosen file's full path, or the empty text when the dialog was cancelled.
    virtual QString chooseFile(QWidget *parent, const FileRequest &request);
};
