// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "configmanager/core/configviewer.h"

#include <QWidget>

class Dialogs;
class GameConfig;
class QPlainTextEdit;
class SpeechOutput;

/**
 * The configuration viewer: one stored configuration as editable text, written back on closing
 * if the user wants the edits kept.
 */
class FileView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileView)

public:
    FileView(GameConfig &config, SpeechOutput &speech, Dialogs &dialogs, QWidget *parent = nullptr);

    /// Opens the stored configuration \a name; false (after telling the user) when it cannot be
    /// read, and the window is then not to be shown.
    bool Form_Load(const QString &name);

signals:
    /// The viewer has closed and the main window takes the focus back.
    void closedBack();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    SpeechOutput &m_speech;
    Dialogs &m_dialogs;
    ConfigViewer m_viewer;
    QPlainTextEdit *m_Afficheur;
};
