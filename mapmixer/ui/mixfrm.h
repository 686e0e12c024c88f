#pragma once

#include "mapmixer/core/randomsource.h"
#include "platform/files/filestore.h"

#include <QTimer>
#include <QWidget>

#include <functional>

class PictureButton;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
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
    /// Greets and retrieves at once; takes \a parle over.
    MixFrm(const QString &modName, const QString &modFolder, SpeechOutput *parle,
           QWidget *parent = nullptr);
    ~MixFrm() override;

    /// The input box of the first start for a mod; an empty text for Cancel.
    static QString askModFolder();

    QString modFolder() const { return m_modFolder; }
    QString mapCyclePath() const { return m_mapCyclePath; }
    bool greetingPending() const { return m_greetingPending; }
    /// The working list, entries separated by CR.
    QString listText() const;
    void setListText(const QString &text);

    void setFileStore(FileStore *files) { m_files = files; }
    void setMessageHandler(std::function<void(const QString &)> handler);
    /// How long a refused close waits for the end of its goodbye before the program ends.
    void setGoodbyeTimeout(int milliseconds) { m_goodbyeGuard.setInterval(milliseconds); }

    static int twips(int value) { return qRound(value / 15.0); }

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
    void setClientWidth(int outerTwips);

    QString m_modName;
    QString m_modFolder;
    QString m_mapCyclePath;
    bool m_greetingPending = false;
    bool m_ended = false;

    FileStore m_ownFiles;
    FileStore *m_files = &m_ownFiles;
    RandomSource m_random;
    std::function<void(const QString &)> m_showMessage;
    QTimer m_goodbyeGuard;

    SpeechOutput *m_parle;
    QPlainTextEdit *m_mapBox;
    PictureButton *m_command1;
    PictureButton *m_command3;
    PictureButton *m_command2;
    QPlainTextEdit *m_mapCycleViewer;
    QLabel *m_label1;
    QPushButton *m_command4;
    QProgressBar *m_progress;
    QFrame *m_line1;
};
