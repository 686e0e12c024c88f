#include "configmanager/ui/fileview.h"

#include "configmanager/core/gameconfig.h"
#include "configmanager/ui/quorrelicon.h"
#include "configmanager/ui/userdialogs.h"
#include "configmanager/ui/windowgeometry.h"
#include "platform/speech/speechoutput.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QTextDocument>

FileView::FileView(GameConfig &config, SpeechOutput &speech, UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_speech(speech), m_dialogs(dialogs), m_viewer(config), m_Afficheur(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("FileView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(QuorrelIcon::icon());
    setFixedSize(WindowGeometry::pixels(7095), WindowGeometry::pixels(5865));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    m_Afficheur->setObjectName(QStringLiteral("Afficheur"));
    m_Afficheur->setGeometry(WindowGeometry::fromTwips(60, 90, 6975, 5730));
    m_Afficheur->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_Afficheur->setFocus();

    WindowGeometry::centreOnScreen(this);
}

bool FileView::Form_Load(const QString &name)
{
    m_speech.speak(QStringLiteral("Config Viewer"));
    QString error;
    if (!m_viewer.open(name, &error)) {
        m_dialogs.inform(this, Notice {GameConfig::ProgramName, error});
        return false;
    }
    setWindowTitle(m_viewer.path());
    m_Afficheur->setPlainText(m_viewer.text());
    return true;
}

QString FileView::editorText() const
{
    // The raw text, because the plain-text export turns no-break spaces (byte 0xA0) into blanks.
    return ConfigText::fromEditor(m_Afficheur->document()->toRawText());
}

void FileView::closeEvent(QCloseEvent *event)
{
    const QString text = editorText();
    if (m_viewer.needsQuestion(text)) {
        const auto answer = m_dialogs.askYesNoCancel(this, QuestionTitle, QuestionText);
        QString error;
        if (!m_viewer.answerClose(answer, text, &error)) {
            if (!error.isEmpty())
                m_dialogs.inform(this, Notice {GameConfig::ProgramName, error});
            event->ignore();
            return;
        }
    }
    event->accept();
    emit closedBack();
}
