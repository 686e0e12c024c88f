// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class Create;
class Dialogs;
class FileView;
class GameConfig;
class QLabel;
class QListWidget;
class QPushButton;
class Reg;
class SpeechOutput;

/**
 * Quorrel's main window: the list of stored configurations, the buttons that open the other
 * windows, and the one speech component every window talks through. It has no title bar, so it
 * moves by a press on it and a release elsewhere.
 */
class Menu final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Menu)

public:
    /// \a endProgram ends the run at once, without asking any window.
    Menu(GameConfig &config, SpeechOutput &speech, Dialogs &dialogs,
         std::function<void()> endProgram, QWidget *parent = nullptr);
    ~Menu() override;

    /// Greets, fills the list, and shows either this window or, on the first start for the mod,
    /// the registration window.
    void Form_Load();

    /// Empties and refills the list from the library folder.
    void refreshConfigList();
    /// The text of the selected entry, empty when none is selected.
    QString selectedEntry() const;
    bool applyPending() const { return m_ApplyPending; }

    Create *createWindow() const { return m_create.get(); }
    Reg *regWindow() const { return m_reg.get(); }
    FileView *fileView() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    /// A close request from the desktop (Alt+F4) ends the program, as Quitter does.
    void closeEvent(QCloseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void CmdCreate_Click();
    void CmdFileRead_Click();
    void CmdReg_Click();
    void ConfigRef_Click();
    void ConfigLst_Click();
    void ConfigLst_DblClick();
    void TextToSpeech1_EndOfSpeech();
    void released(const QPoint &globalPosition);
    void backFromCapture(bool captured);
    void backFromReg(bool saved);

    GameConfig &m_config;
    Dialogs &m_dialogs;
    std::function<void()> m_endProgram;

    QLabel *m_Label1;
    QListWidget *m_ConfigLst;
    QPushButton *m_CmdFileRead;
    QPushButton *m_ConfigRef;
    QPushButton *m_CmdCreate;
    QPushButton *m_CmdQuit;
    QPushButton *m_CmdReg;
    SpeechOutput &m_TextToSpeech1;

    QPoint m_PressPoint;
    QPoint m_ReleasePoint;
    bool m_ApplyPending = false;

    std::unique_ptr<Create> m_create;
    std::unique_ptr<Reg> m_reg;
    QPointer<FileView> m_fileView;
};
