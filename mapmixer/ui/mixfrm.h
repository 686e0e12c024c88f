// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "mapmixer/core/randomsource.h"

#include <QTimer>
#include <QWidget>

#include <optional>

class Dialogs;
class FileStore;
class PictureButton;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class SettingsStore;
class SpeechOutput;

/**
 * Rondelay's only window: the working list with the Retrieve, Shuffle and Save pictures, and a
 * right pane, shown on demand, with the map cycle file as stored. Closing says goodbye; the
 * program ends once the goodbye has been spoken.
 */
class MixFrm final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MixFrm)

public:
    /// Greets through \a parle and retrieves at once.
    MixFrm(const QString &modName, const QString &modFolder, FileStore &files, Dialogs &dialogs,
           SpeechOutput &parle, QWidget *parent = nullptr);
    ~MixFrm() override;

    /// What comes before the window: without a mod name, the message "Tapez un Argument" and no
    /// folder (the program ends); else the mod's folder, asked for and stored on its first start.
    static std::optional<QString> startUp(const QString &modName, SettingsStore &settings,
                                          Dialogs &dialogs);

    QString modFolder() const { return m_ModFolder; }
    QString mapCyclePath() const { return m_MapCyclePath; }
    bool greetingPending() const { return m_GreetingPending; }
    /// The working list, entries separated by CR.
    QString listText() const;
    void setListText(const QString &text);

    /// How long a refused close waits for the end of its goodbye before the program ends.
    void setGoodbyeTimeout(int milliseconds) { m_goodbyeGuard.setInterval(milliseconds); }

signals:
    void programEnded();

public slots:
    void Command1_Click();
    void Command3_Click();
    void Command2_Click();
    void Command4_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Parle_SpeechEnded();
    void loadViewer();
    void endProgram();
    void setOuterWidth(int twips);

    QString m_modName;
    QString m_ModFolder;
    QString m_MapCyclePath;
    bool m_GreetingPending = false;
    bool m_ended = false;

    FileStore &m_files;
    Dialogs &m_dialogs;
    RandomSource m_random;
    QTimer m_goodbyeGuard;

    SpeechOutput &m_Parle;
    QPlainTextEdit *m_MapBox;
    PictureButton *m_Command1;
    PictureButton *m_Command3;
    PictureButton *m_Command2;
    QPlainTextEdit *m_MapCycleViewer;
    QLabel *m_Label1;
    QPushButton *m_Command4;
    QProgressBar *m_Progress;
    QFrame *m_Line1;
};
