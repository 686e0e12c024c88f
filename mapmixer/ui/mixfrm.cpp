// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mapmixer/ui/mixfrm.h"

#include "mapmixer/core/maplist.h"
#include "mapmixer/core/rondelaysettings.h"
#include "mapmixer/core/rondelaytexts.h"
#include "mapmixer/ui/picturebutton.h"
#include "platform/dialogs/dialogs.h"
#include "platform/dialogs/frenchreasons.h"
#include "platform/speech/speechoutput.h"
#include "platform/windowkit/windowkit.h"

#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <cstdio>

namespace {

const QChar cr = QChar(13);
const QChar lf = QChar(10);

// Outer widths; the frame takes 90 twips of them, the client area the rest.
constexpr int narrowOuterTwips = 2970;
constexpr int wideOuterTwips = 5910;
constexpr int frameTwips = 90;
constexpr int clientHeightTwips = 8250;

constexpr int goodbyeTimeoutMs = 4000;

const QColor yellow(255, 255, 0);

// The captions of the pane toggle while the right pane is hidden, and while it is shown.
const QString widen = QStringLiteral(">>");
const QString narrow = QStringLiteral("<<");

QPlainTextEdit *yellowArea(QWidget *parent)
{
    auto *area = new QPlainTextEdit(parent);
    QPalette palette = area->palette();
    palette.setColor(QPalette::Base, yellow);
    palette.setColor(QPalette::Text, Qt::black);
    area->setPalette(palette);
    // Tab moves on to the next control, as in every other window, instead of typing a tab into a
    // map's name that Save would then write.
    area->setTabChangesFocus(true);
    return area;
}

} // namespace

MixFrm::MixFrm(const QString &modName, const QString &modFolder, FileStore &files, Dialogs &dialogs,
               SpeechOutput &parle, QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                  | Qt::MSWindowsFixedSizeDialogHint),
      m_modName(modName), m_ModFolder(modFolder), m_files(files), m_dialogs(dialogs), m_Parle(parle)
{
    using WindowKit::place;

    setObjectName(QStringLiteral("MixFrm"));
    setWindowTitle(QStringLiteral("Rondelay Shuffler"));
    WindowKit::paintBackground(this);
    setOuterWidth(narrowOuterTwips);

    m_goodbyeGuard.setSingleShot(true);
    m_goodbyeGuard.setInterval(goodbyeTimeoutMs);
    connect(&m_goodbyeGuard, &QTimer::timeout, this, &MixFrm::endProgram);
    connect(&m_Parle, &SpeechOutput::speechEnded, this, &MixFrm::Parle_SpeechEnded);

    m_MapBox = yellowArea(this);
    place(m_MapBox, "MapBox", 195, 1650, 2505, 6315);

    m_Command1 = new PictureButton(QStringLiteral("Récupérer"), this);
    place(m_Command1, "Command1", 555, 150, 1793, 338);
    m_Command3 = new PictureButton(QStringLiteral("Mélanger"), this);
    place(m_Command3, "Command3", 555, 630, 1793, 338);
    m_Command2 = new PictureButton(QStringLiteral("Sauver"), this);
    place(m_Command2, "Command2", 555, 1110, 1793, 338);

    m_MapCycleViewer = yellowArea(this);
    place(m_MapCycleViewer, "MapCycleViewer", 3120, 1050, 2505, 6315);

    m_Label1 = new QLabel(QStringLiteral("Liste en cours :"), this);
    m_Label1->setAlignment(Qt::AlignCenter);
    WindowKit::paintBackground(m_Label1);
    WindowKit::setTextColor(m_Label1, yellow);
    m_Label1->setFont(WindowKit::oldFont(12));
    place(m_Label1, "Label1", 3120, 645, 2505, 345);
    WindowKit::fitTextToWidth(m_Label1);

    m_Command4 = new QPushButton(widen, this);
    place(m_Command4, "Command4", 2490, 735, 330, 255);

    m_Progress = new QProgressBar(this);
    m_Progress->setTextVisible(false);
    m_Progress->setMinimum(0);
    place(m_Progress, "Progress", 0, 8160, 2880, 90);
    m_Progress->hide();

    // A line 3 pixels wide, centred on its horizontal position, from one end to the other.
    m_Line1 = new QFrame(this);
    m_Line1->setObjectName(QStringLiteral("Line1"));
    WindowKit::paintBackground(m_Line1, QColor(128, 128, 128));
    const int lineTop = WindowKit::pixels(-15);
    m_Line1->setGeometry(WindowKit::pixels(2910) - 1, lineTop, 3,
                         WindowKit::pixels(8190) - lineTop + 1);

    WindowKit::setTabOrder(
        {m_MapBox, m_Command1, m_Command3, m_Command2, m_MapCycleViewer, m_Command4});

    connect(m_Command1, &PictureButton::clicked, this, &MixFrm::Command1_Click);
    connect(m_Command3, &PictureButton::clicked, this, &MixFrm::Command3_Click);
    connect(m_Command2, &PictureButton::clicked, this, &MixFrm::Command2_Click);
    connect(m_Command4, &QPushButton::clicked, this, &MixFrm::Command4_Click);

    m_GreetingPending = true;
    m_Parle.speak(RondelayTexts::greeting(m_modName));
    Command1_Click();
}

MixFrm::~MixFrm() = default;

std::optional<QString> MixFrm::startUp(const QString &modName, SettingsStore &settings,
                                       Dialogs &dialogs)
{
    if (modName.isEmpty()) {
        dialogs.inform(nullptr, RondelayTexts::programTitle(), RondelayTexts::noArgument());
        return std::nullopt;
    }
    RondelaySettings stored(settings, modName);
    QString folder = stored.value(RondelaySettings::Key::Dossier);
    if (folder.isEmpty()) {
        // Cancel is no way out: the window cannot work without a folder.
        while (folder.isEmpty())
            folder =
                dialogs
                    .askText(nullptr, RondelayTexts::newModTitle(), RondelayTexts::newModPrompt())
                    .value_or(QString());
        if (const auto kept = stored.setValue(RondelaySettings::Key::Dossier, folder); !kept)
            std::fprintf(stderr, "rondelay: %s\n", qPrintable(kept.reason()));
    }
    return MapList::modFolderPath(folder);
}

QString MixFrm::listText() const
{
    QString text = m_MapBox->toPlainText();
    text.replace(lf, cr);
    return text;
}

void MixFrm::setListText(const QString &text)
{
    QString shown = text;
    shown.remove(lf);
    shown.replace(cr, lf);
    m_MapBox->setPlainText(shown);
}

void MixFrm::Command1_Click()
{
    m_MapCyclePath = MapList::mapCyclePath(m_ModFolder);
    loadViewer();
    // A folder without maps leaves the list empty; the viewer shows what there is to see.
    const auto retrieved = MapList::retrieve(m_ModFolder);
    setListText(retrieved ? *retrieved : QString());
}

void MixFrm::Command3_Click()
{
    m_Progress->setVisible(true);
    const QString list = MapList::shuffle(listText(), m_random, [this](int value, int maximum) {
        m_Progress->setMaximum(maximum);
        m_Progress->setValue(value);
    });
    setListText(list);
    m_Progress->hide();
}

void MixFrm::Command2_Click()
{
    m_MapCyclePath = MapList::mapCyclePath(m_ModFolder);
    const QString shownPath = QDir::toNativeSeparators(m_MapCyclePath);
    const auto content = MapList::saveContent(listText());
    // An empty map cycle, or one of blank lines, would leave the server nothing to play and the
    // good file would be lost: the list is refused as it stands.
    if (!content.namesAMap) {
        m_dialogs.inform(this, RondelayTexts::programTitle(),
                         RondelayTexts::nothingToSave().arg(shownPath));
        return;
    }
    setListText(content.listText);
    if (const auto written = MapList::save(m_ModFolder, content, m_files); !written)
        m_dialogs.informFailure(this, RondelayTexts::programTitle(),
                                written.failure().toldAs(RondelayTexts::saveFailed().arg(
                                    shownPath, FrenchReasons::cause(written.failure()))));
    loadViewer();
}

void MixFrm::Command4_Click()
{
    const bool widening = m_Command4->text() != narrow;
    m_Command4->setText(widening ? narrow : widen);
    setOuterWidth(widening ? wideOuterTwips : narrowOuterTwips);
}

void MixFrm::closeEvent(QCloseEvent *event)
{
    if (m_ended) {
        event->accept();
        return;
    }
    m_Parle.speak(RondelayTexts::goodbye());
    if (!m_GreetingPending) {
        event->ignore();
        // Without the goodbye's notification the window would never close.
        if (!m_goodbyeGuard.isActive())
            m_goodbyeGuard.start();
        return;
    }
    event->accept();
    m_ended = true;
    emit programEnded();
}

void MixFrm::Parle_SpeechEnded()
{
    if (m_ended)
        return;
    if (m_GreetingPending) {
        m_GreetingPending = false;
        return;
    }
    m_GreetingPending = true;
    endProgram();
}

void MixFrm::loadViewer()
{
    // No map cycle file yet: the viewer stays empty.
    const auto loaded = MapList::loadMapCycle(m_ModFolder, m_files);
    QString text = loaded ? *loaded : QString();
    text.replace(QStringLiteral("\r\n"), QString(lf));
    text.replace(cr, lf);
    m_MapCycleViewer->setPlainText(text);
}

void MixFrm::endProgram()
{
    if (m_ended)
        return;
    m_ended = true;
    m_goodbyeGuard.stop();
    hide();
    emit programEnded();
}

void MixFrm::setOuterWidth(int twips)
{
    setFixedSize(WindowKit::fromTwips(twips - frameTwips, clientHeightTwips));
}
