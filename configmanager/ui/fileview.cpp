// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/ui/fileview.h"

#include "configmanager/core/quorreltexts.h"
#include "platform/dialogs/dialogs.h"
#include "platform/speech/speechoutput.h"
#include "platform/windowkit/windowkit.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QTextDocument>

FileView::FileView(GameConfig &config, SpeechOutput &speech, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_speech(speech), m_dialogs(dialogs), m_viewer(config), m_Afficheur(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("FileView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(WindowKit::fromTwips(7095, 5865));
    WindowKit::paintBackground(this);

    WindowKit::place(m_Afficheur, "Afficheur", 60, 90, 6975, 5730);
    m_Afficheur->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_Afficheur->setFocus();

    WindowKit::centreOnScreen(this);
}

bool FileView::Form_Load(const QString &name)
{
    m_speech.speak(QuorrelTexts::configViewer());
    if (const auto opened = m_viewer.open(name); !opened) {
        m_dialogs.informFailure(this, QuorrelTexts::programName(), opened.failure());
        return false;
    }
    setWindowTitle(m_viewer.path());
    m_Afficheur->setPlainText(m_viewer.text());
    return true;
}

void FileView::closeEvent(QCloseEvent *event)
{
    // The raw text, because the plain-text export turns no-break spaces (byte 0xA0) into blanks.
    const QString text = ConfigText::fromEditor(m_Afficheur->document()->toRawText());
    if (m_viewer.needsQuestion(text)) {
        const auto answer = m_dialogs.askYesNoCancel(this, QuorrelTexts::saveQuestionTitle(),
                                                     QuorrelTexts::saveQuestion());
        const auto closes = m_viewer.answerClose(answer, text);
        if (!closes)
            m_dialogs.informFailure(this, QuorrelTexts::programName(), closes.failure());
        if (!closes || !*closes) {
            event->ignore();
            return;
        }
    }
    event->accept();
    emit closedBack();
}
