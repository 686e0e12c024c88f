// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QTimer>
#include <QWidget>

#include <array>

class Dialogs;
class GameConfig;
class QLabel;
class QLineEdit;
class QPushButton;
class SpeechOutput;

/**
 * The capture window: five seconds after it opens it starts the game, then asks for a name under
 * which the game's configuration file, as the player left it on quitting, is stored.
 */
class Create final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Create)

public:
    static constexpr int FirstTickInterval = 5000;
    static constexpr int CentringInterval = 10;

    Create(GameConfig &config, SpeechOutput &speech, Dialogs &dialogs, QWidget *parent = nullptr);

    QTimer &Timer1() { return m_Timer1; }
    /// Back to the instruction, with an empty name field, for a new opening.
    void resetToWaiting();

    void Timer1_Timer();
    void Command1_Click(int index);

signals:
    /// The window has closed; \a captured when a configuration was stored.
    void finished(bool captured);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    /// A close request from the desktop is "&Annuler": back to the main window, nothing started.
    void closeEvent(QCloseEvent *event) override;

private:
    void Text1_GotFocus();
    void closeBack(bool captured);

    GameConfig &m_config;
    SpeechOutput &m_speech;
    Dialogs &m_dialogs;

    QLabel *m_Label1;
    QLabel *m_Label2;
    QLineEdit *m_Text1;
    std::array<QPushButton *, 2> m_Command1;
    QTimer m_Timer1;
    bool m_enterPressed = false;
};
