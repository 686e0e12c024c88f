// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

class Dialogs;
class GameConfig;
class QLabel;
class QLineEdit;
class QPushButton;

/**
 * The registration window: the path of the game's configuration file and the command line that
 * starts the game, for the current mod. It is filled from the settings once per run and keeps
 * whatever was typed in it while hidden.
 */
class Reg final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Reg)

public:
    static const QString ConfigFilter;
    static const QString ProgramFilter;

    Reg(GameConfig &config, Dialogs &dialogs, QWidget *parent = nullptr);

signals:
    /// The window has been left; \a saved when the paths were stored.
    void finished(bool saved);

protected:
    /// A close request from the desktop is "&Abort".
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void Text_Change();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();

    GameConfig &m_config;
    Dialogs &m_dialogs;

    QLabel *m_Label1;
    QLineEdit *m_Text1;
    QPushButton *m_Command3;
    QLabel *m_Label3;
    QLineEdit *m_Text3;
    QPushButton *m_Command4;
    QPushButton *m_Command2;
    QPushButton *m_Command1;
};
