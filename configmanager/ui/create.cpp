// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/ui/create.h"

#include "configmanager/core/gameconfig.h"
#include "configmanager/core/quorreltexts.h"
#include "platform/dialogs/dialogs.h"
#include "platform/speech/speechoutput.h"
#include "platform/windowkit/windowkit.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Create::Create(GameConfig &config, SpeechOutput &speech, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), m_config(config), m_speech(speech),
      m_dialogs(dialogs),
      m_Label1(new QLabel(QStringLiteral("Faites votre configuration puis quitter le jeu."), this)),
      m_Label2(new QLabel(QStringLiteral("Tapez ci-dessous le nom de votre configue:"), this)),
      m_Text1(new QLineEdit(this)), m_Command1 {new QPushButton(QStringLiteral("&Ok"), this),
                                                new QPushButton(QStringLiteral("&Annuler"), this)}
{
    setObjectName(QStringLiteral("Create"));
    setFixedSize(WindowKit::fromTwips(4680, 1665));
    WindowKit::paintBackground(this);

    WindowKit::place(m_Label1, "Label1", 240, 240, 4215, 735);
    m_Label1->setAlignment(Qt::AlignCenter);
    m_Label1->setWordWrap(true);
    m_Label1->setFont(WindowKit::oldFont(13.5));
    WindowKit::setTextColor(m_Label1, palette().color(QPalette::HighlightedText));

    WindowKit::place(m_Label2, "Label2", 360, 240, 4095, 255);
    WindowKit::setTextColor(m_Label2, Qt::red);

    WindowKit::place(m_Text1, "Text1", 270, 600, 4095, 285);
    WindowKit::place(m_Command1[0], "Command1_0", 720, 1200, 1455, 315);
    WindowKit::place(m_Command1[1], "Command1_1", 2535, 1200, 1455, 315);

    WindowKit::setTabOrder({m_Command1[0], m_Text1, m_Command1[1]});

    for (int index = 0; index < int(m_Command1.size()); ++index)
        connect(m_Command1[index], &QPushButton::clicked, this,
                [this, index] { Command1_Click(index); });
    m_Text1->installEventFilter(this);
    connect(&m_Timer1, &QTimer::timeout, this, &Create::Timer1_Timer);

    resetToWaiting();
    WindowKit::fitTextToWidth(m_Label2);
    WindowKit::centreOnScreen(this);
}

void Create::resetToWaiting()
{
    m_Timer1.stop();
    m_Text1->clear();
    m_Command1[0]->hide();
    m_Command1[1]->hide();
    m_Text1->hide();
    m_Label2->hide();
    m_Label1->show();
}

void Create::Timer1_Timer()
{
    if (m_Timer1.interval() != FirstTickInterval) {
        WindowKit::centreOnScreen(this);
        return;
    }
    // Switched before the game starts, so ticks that come meanwhile only re-centre the window.
    m_Timer1.setInterval(CentringInterval);
    const QString command = m_config.LaunchCommand();
    if (command.isEmpty()) {
        m_dialogs.inform(this, QuorrelTexts::programName(), QuorrelTexts::noCommand());
        closeBack(false);
        return;
    }
    if (const auto started = m_config.StartGame(command); !started) {
        m_dialogs.informFailure(this, QuorrelTexts::programName(), started.failure());
        closeBack(false);
        return;
    }
    m_Command1[0]->show();
    m_Command1[1]->show();
    m_Text1->show();
    m_Label1->hide();
    m_Label2->show();
    m_Text1->setFocus();
}

void Create::Command1_Click(int index)
{
    const QString name = m_Text1->text();
    if (name.isEmpty() && index == 0)
        return;
    if (index != 0) {
        m_speech.speak(QuorrelTexts::configNotCreated());
        closeBack(false);
        return;
    }
    if (!GameConfig::isValidConfigName(name)) {
        // The name can be corrected at once; nothing has been written.
        m_dialogs.inform(this, QuorrelTexts::programName(), QuorrelTexts::invalidConfigName(name));
        m_Text1->setFocus();
        m_Text1->selectAll();
        return;
    }
    if (const auto captured = m_config.CaptureConfig(name); !captured) {
        m_dialogs.informFailure(this, QuorrelTexts::programName(), captured.failure());
        m_speech.speak(QuorrelTexts::configNotCreated());
        closeBack(false);
        return;
    }
    m_speech.speak(QuorrelTexts::configCreated());
    closeBack(true);
}

void Create::closeEvent(QCloseEvent *event)
{
    // Closed while waiting, the window would still start the game on its first tick.
    if (isVisible())
        Command1_Click(1);
    event->accept();
}

void Create::closeBack(bool captured)
{
    hide();
    m_Timer1.stop();
    emit finished(captured);
}

void Create::Text1_GotFocus()
{
    if (!m_speech.isSpeaking())
        m_speech.speak(QuorrelTexts::enterConfigName());
}

bool Create::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_Text1) {
        if (event->type() == QEvent::FocusIn) {
            Text1_GotFocus();
        } else if (event->type() == QEvent::FocusOut) {
            m_enterPressed = false;
        } else if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            const auto *key = static_cast<QKeyEvent *>(event);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            // Only a release whose press came here too: the Enter that dismisses a message box
            // is released in this field and would otherwise open the message again, forever.
            if (enter && !key->isAutoRepeat() && event->type() == QEvent::KeyPress) {
                m_enterPressed = true;
            } else if (enter && !key->isAutoRepeat() && m_enterPressed) {
                m_enterPressed = false;
                Command1_Click(0);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
