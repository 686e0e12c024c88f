// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/ui/menu.h"

#include "configmanager/core/gameconfig.h"
#include "configmanager/core/quorreltexts.h"
#include "configmanager/ui/create.h"
#include "configmanager/ui/fileview.h"
#include "configmanager/ui/reg.h"
#include "platform/dialogs/dialogs.h"
#include "platform/speech/speechoutput.h"
#include "platform/windowkit/windowkit.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>

Menu::Menu(GameConfig &config, SpeechOutput &speech, Dialogs &dialogs,
           std::function<void()> endProgram, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), m_config(config), m_dialogs(dialogs),
      m_endProgram(std::move(endProgram)),
      m_Label1(new QLabel(QStringLiteral("Selectionnez votre configue ci-dessous :"), this)),
      m_ConfigLst(new QListWidget(this)),
      m_CmdFileRead(new QPushButton(QStringLiteral("&Ouvrir le fichier"), this)),
      m_ConfigRef(new QPushButton(QStringLiteral("R&efresh Configs"), this)),
      m_CmdCreate(new QPushButton(QStringLiteral("&Créer une configue"), this)),
      m_CmdQuit(new QPushButton(QStringLiteral("&Quitter"), this)),
      m_CmdReg(new QPushButton(QStringLiteral("&Reg"), this)), m_TextToSpeech1(speech)
{
    setObjectName(QStringLiteral("Menu"));
    setFixedSize(WindowKit::fromTwips(4800, 2385));
    WindowKit::paintBackground(this);

    WindowKit::place(m_Label1, "Label1", 840, 120, 3255, 255);
    WindowKit::setTextColor(m_Label1, Qt::red);

    WindowKit::place(m_ConfigLst, "ConfigLst", 360, 540, 4095, 645);
    m_ConfigLst->setSelectionMode(QAbstractItemView::SingleSelection);

    WindowKit::place(m_CmdFileRead, "CmdFileRead", 360, 1230, 1815, 255);
    m_CmdFileRead->setEnabled(false);
    WindowKit::place(m_ConfigRef, "ConfigRef", 2625, 1230, 1815, 255);
    WindowKit::place(m_CmdCreate, "CmdCreate", 360, 1650, 4095, 255);
    WindowKit::place(m_CmdQuit, "CmdQuit", 360, 2010, 4095, 255);
    // Right of the client area, so never seen, but still "visible" to Qt: its Alt+R shortcut
    // and the Tab key reach it, and that is the way into the registration window.
    WindowKit::place(m_CmdReg, "CmdReg", 5610, 285, 525, 225);

    WindowKit::setTabOrder(
        {m_CmdCreate, m_CmdQuit, m_ConfigLst, m_ConfigRef, m_CmdReg, m_CmdFileRead});

    // A press on the label is a press on the window: it starts the same drag.
    m_Label1->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_ConfigLst->viewport()->installEventFilter(this);
    m_ConfigLst->installEventFilter(this);

    connect(m_CmdCreate, &QPushButton::clicked, this, &Menu::CmdCreate_Click);
    connect(m_CmdFileRead, &QPushButton::clicked, this, &Menu::CmdFileRead_Click);
    connect(m_CmdReg, &QPushButton::clicked, this, &Menu::CmdReg_Click);
    connect(m_ConfigRef, &QPushButton::clicked, this, &Menu::ConfigRef_Click);
    connect(m_CmdQuit, &QPushButton::clicked, this, [this] { m_endProgram(); });
    connect(m_ConfigLst, &QListWidget::itemSelectionChanged, this, &Menu::ConfigLst_Click);
    connect(&m_TextToSpeech1, &SpeechOutput::speechEnded, this, &Menu::TextToSpeech1_EndOfSpeech);

    WindowKit::fitTextToWidth(m_Label1);
    WindowKit::centreOnScreen(this);
}

Menu::~Menu()
{
    delete m_fileView.data();
}

FileView *Menu::fileView() const
{
    return m_fileView.data();
}

void Menu::Form_Load()
{
    m_ApplyPending = false;
    m_TextToSpeech1.speak(QuorrelTexts::greeting(m_config.ModName()));
    const QString alreadyUsed = m_config.settings().value(QuorrelSettings::Key::AlreadyUse);
    refreshConfigList();
    if (alreadyUsed.isEmpty()) {
        // Not kept, the next start for this mod only opens the registration again.
        [[maybe_unused]] const Result<> kept =
            m_config.settings().setValue(QuorrelSettings::Key::AlreadyUse, QStringLiteral("1"));
        hide();
        CmdReg_Click();
    } else {
        show();
    }
}

void Menu::refreshConfigList()
{
    m_ConfigLst->clear();
    m_ConfigLst->addItems(m_config.RefreshConfigList());
}

QString Menu::selectedEntry() const
{
    const QList<QListWidgetItem *> selected = m_ConfigLst->selectedItems();
    return selected.isEmpty() ? QString() : selected.constFirst()->text();
}

void Menu::CmdCreate_Click()
{
    hide();
    m_TextToSpeech1.speak(QuorrelTexts::captureInstruction());
    if (!m_create) {
        m_create = std::make_unique<Create>(m_config, m_TextToSpeech1, m_dialogs);
        connect(m_create.get(), &Create::finished, this, &Menu::backFromCapture);
    }
    m_create->resetToWaiting();
    // The capture window tells its first tick from the later ones by this exact interval.
    m_create->Timer1().setInterval(Create::FirstTickInterval);
    m_create->Timer1().start();
    m_create->show();
}

void Menu::CmdFileRead_Click()
{
    if (m_fileView) {
        m_fileView->raise();
        m_fileView->activateWindow();
        return;
    }
    auto *viewer = new FileView(m_config, m_TextToSpeech1, m_dialogs);
    if (!viewer->Form_Load(selectedEntry())) {
        delete viewer;
        return;
    }
    m_fileView = viewer;
    connect(viewer, &FileView::closedBack, this, [this] { activateWindow(); });
    viewer->show();
}

void Menu::CmdReg_Click()
{
    if (!m_reg) {
        m_reg = std::make_unique<Reg>(m_config, m_dialogs);
        connect(m_reg.get(), &Reg::finished, this, &Menu::backFromReg);
    }
    m_reg->show();
    m_reg->raise();
    m_reg->activateWindow();
}

void Menu::ConfigRef_Click()
{
    m_CmdFileRead->setEnabled(false);
    refreshConfigList();
}

void Menu::ConfigLst_Click()
{
    if (!m_ConfigLst->selectedItems().isEmpty())
        m_CmdFileRead->setEnabled(true);
}

void Menu::ConfigLst_DblClick()
{
    m_ApplyPending = true;
    m_TextToSpeech1.speak(QuorrelTexts::welcome(selectedEntry()));
}

void Menu::TextToSpeech1_EndOfSpeech()
{
    if (!m_ApplyPending)
        return;
    m_ApplyPending = false;
    QString name = selectedEntry();
    const auto applied = m_config.ApplyConfig(name);
    if (!applied) {
        m_dialogs.informFailure(this, QuorrelTexts::programName(), applied.failure());
        return;
    }
    switch (*applied) {
    case GameConfig::Applied::NothingToApply:
        break;
    case GameConfig::Applied::Missing:
        m_dialogs.inform(this, QuorrelTexts::missingConfigTitle(), QuorrelTexts::missingConfig());
        break;
    case GameConfig::Applied::NoCommand:
        m_dialogs.inform(this, QuorrelTexts::programName(), QuorrelTexts::noCommand());
        break;
    case GameConfig::Applied::GameStarted:
        m_endProgram();
        break;
    }
}

void Menu::backFromCapture(bool captured)
{
    if (captured)
        ConfigRef_Click();
    show();
    activateWindow();
}

void Menu::backFromReg(bool saved)
{
    if (saved)
        refreshConfigList();
    show();
    activateWindow();
}

bool Menu::eventFilter(QObject *watched, QEvent *event)
{
    // Enter on the selected entry is the keyboard's double-click: greeting first, then applying.
    if (watched == m_ConfigLst && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool selected = !m_ConfigLst->selectedItems().isEmpty();
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && selected) {
            // A key held down applies once, as one double-click does.
            if (!key->isAutoRepeat())
                ConfigLst_DblClick();
            return true;
        }
        // The list shows its first entry framed as soon as it has the focus, yet selects
        // nothing: the first arrow key selects that entry rather than pass over it, so that the
        // keyboard reaches every entry, the only one included.
        if ((key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) && !selected
            && m_ConfigLst->currentItem()) {
            m_ConfigLst->currentItem()->setSelected(true);
            return true;
        }
    }
    if (watched == m_ConfigLst->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            m_PressPoint = static_cast<QMouseEvent *>(event)->globalPosition().toPoint();
            break;
        case QEvent::MouseButtonRelease:
            released(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
            break;
        case QEvent::MouseButtonDblClick:
            ConfigLst_DblClick();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Menu::closeEvent(QCloseEvent *event)
{
    // Hidden, the window would leave a program running that nothing on screen can end.
    event->accept();
    m_endProgram();
}

void Menu::mousePressEvent(QMouseEvent *event)
{
    m_PressPoint = event->globalPosition().toPoint();
}

void Menu::mouseReleaseEvent(QMouseEvent *event)
{
    released(event->globalPosition().toPoint());
}

void Menu::released(const QPoint &globalPosition)
{
    m_ReleasePoint = globalPosition;
    // The window jumps once, by the cursor's whole displacement, left edge before top edge.
    const QPoint delta = m_ReleasePoint - m_PressPoint;
    move(x() + delta.x(), y());
    move(x(), y() + delta.y());
}
