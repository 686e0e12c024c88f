#include "mapmixer/ui/mixfrm.h"

#include "mapmixer/core/maplist.h"
#include "mapmixer/ui/picturebutton.h"
#include "platform/speech/speechoutput.h"

#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

const QChar cr = QChar(13);
const QChar lf = QChar(10);

// Outer widths; the frame takes 90 twips of them, the client area the rest.
constexpr int narrowOuterTwips = 2970;
constexpr int wideOuterTwips = 5910;
constexpr int frameTwips = 90;
constexpr int clientHeightTwips = 8250;

constexpr int goodbyeTimeoutMs = 4000;

void place(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(MixFrm::twips(left), MixFrm::twips(top), MixFrm::twips(width),
                        MixFrm::twips(height));
}

QPlainTextEdit *yellowArea(const QString &name, QWidget *parent)
{
    auto *area = new QPlainTextEdit(parent);
    area->setObjectName(name);
    QPalette palette = area->palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 0));
    palette.setColor(QPalette::Text, Qt::black);
    area->setPalette(palette);
    return area;
}

QIcon rondelayIcon()
{
    // Sixteen colours are plenty: black ground, the red frame and yellow of the pictures.
    QPixmap icon(32, 32);
    icon.fill(Qt::black);
    QPainter painter(&icon);
    painter.setPen(QColor(255, 0, 0));
    painter.drawRect(0, 0, 31, 31);
    painter.setPen(QPen(QColor(255, 255, 0), 3));
    painter.drawEllipse(7, 7, 18, 18);
    painter.drawLine(16, 4, 16, 10);
    return QIcon(icon);
}

} // namespace

MixFrm::MixFrm(const QString &modName, const QString &modFolder, SpeechOutput *parle,
               QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                  | Qt::MSWindowsFixedSizeDialogHint),
      m_modName(modName), m_modFolder(modFolder), m_parle(parle)
{
    setObjectName(QStringLiteral("MixFrm"));
    setWindowTitle(QStringLiteral("Rondelay Shuffler"));
    setWindowIcon(rondelayIcon());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);
    setClientWidth(narrowOuterTwips);

    m_showMessage = [this](const QString &text) {
        QMessageBox::warning(this, QStringLiteral("Rondelay"), text);
    };
    m_goodbyeGuard.setSingleShot(true);
    m_goodbyeGuard.setInterval(goodbyeTimeoutMs);
    connect(&m_goodbyeGuard, &QTimer::timeout, this, &MixFrm::endProgram);

    m_parle->setParent(this);
    m_parle->setObjectName(QStringLiteral("Parle"));
    connect(m_parle, &SpeechOutput::speechEnded, this, &MixFrm::Parle_SpeechEnded);

    m_mapBox = yellowArea(QStringLiteral("MapBox"), this);
    place(m_mapBox, 195, 1650, 2505, 6315);

    m_command1 = new PictureButton(QStringLiteral("Récupérer"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    place(m_command1, 555, 150, 1793, 338);
    m_command3 = new PictureButton(QStringLiteral("Mélanger"), this);
    m_command3->setObjectName(QStringLiteral("Command3"));
    place(m_command3, 555, 630, 1793, 338);
    m_command2 = new PictureButton(QStringLiteral("Sauver"), this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    place(m_command2, 555, 1110, 1793, 338);

    m_mapCycleViewer = yellowArea(QStringLiteral("MapCycleViewer"), this);
    place(m_mapCycleViewer, 3120, 1050, 2505, 6315);

    m_label1 = new QLabel(QStringLiteral("Liste en cours :"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setAlignment(Qt::AlignCenter);
    m_label1->setAutoFillBackground(true);
    QPalette labelPalette = m_label1->palette();
    labelPalette.setColor(QPalette::Window, Qt::black);
    labelPalette.setColor(QPalette::WindowText, QColor(255, 255, 0));
    m_label1->setPalette(labelPalette);
    QFont labelFont(QStringLiteral("MS Sans Serif"), 12);
    labelFont.setStyleHint(QFont::SansSerif);
    m_label1->setFont(labelFont);
    place(m_label1, 3120, 645, 2505, 345);

    m_command4 = new QPushButton(QStringLiteral(">>"), this);
    m_command4->setObjectName(QStringLiteral("Command4"));
    place(m_command4, 2490, 735, 330, 255);

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_progress->setTextVisible(false);
    m_progress->setMinimum(0);
    place(m_progress, 0, 8160, 2880, 90);
    m_progress->hide();

    m_line1 = new QFrame(this);
    m_line1->setObjectName(QStringLiteral("Line1"));
    m_line1->setAutoFillBackground(true);
    QPalette linePalette = m_line1->palette();
    linePalette.setColor(QPalette::Window, QColor(128, 128, 128));
    m_line1->setPalette(linePalette);
    m_line1->setGeometry(twips(2910) - 1, twips(-15), 3, twips(8190) - twips(-15) + 1);

    setTabOrder(m_mapBox, m_command1);
    setTabOrder(m_command1, m_command3);
    setTabOrder(m_command3, m_command2);
    setTabOrder(m_command2, m_mapCycleViewer);
    setTabOrder(m_mapCycleViewer, m_command4);

    connect(m_command1, &PictureButton::clicked, this, &MixFrm::Command1_Click);
    connect(m_command3, &PictureButton::clicked, this, &MixFrm::Command3_Click);
    connect(m_command2, &PictureButton::clicked, this, &MixFrm::Command2_Click);
    connect(m_command4, &QPushButton::clicked, this, &MixFrm::Command4_Click);

    m_greetingPending = true;
    m_parle->speak(m_modName + QStringLiteral(" Shuffler"));
    Command1_Click();
}

MixFrm::~MixFrm() = default;

QString MixFrm::askModFolder()
{
    return QInputDialog::getText(nullptr, QStringLiteral("Nouveau Mod"),
                                 QStringLiteral("Dossier du nouveau Mod"));
}

QString MixFrm::listText() const
{
    QString text = m_mapBox->toPlainText();
    text.replace(lf, cr);
    return text;
}

void MixFrm::setListText(const QString &text)
{
    QString shown = text;
    shown.remove(lf);
    shown.replace(cr, lf);
    m_mapBox->setPlainText(shown);
}

void MixFrm::setMessageHandler(std::function<void(const QString &)> handler)
{
    m_showMessage = std::move(handler);
}

void MixFrm::Command1_Click()
{
    m_mapCyclePath = MapList::mapCyclePath(m_modFolder);
    loadViewer();
    setListText(MapList::retrieve(m_modFolder));
}

void MixFrm::Command3_Click()
{
    m_progress->setVisible(true);
    const QString list = MapList::shuffle(listText(), m_random, [this](int value, int maximum) {
        m_progress->setMaximum(maximum);
        m_progress->setValue(value);
    });
    setListText(list);
    m_progress->hide();
}

void MixFrm::Command2_Click()
{
    m_mapCyclePath = MapList::mapCyclePath(m_modFolder);
    // An empty map cycle would leave the server nothing to play; the headless mode refuses too.
    if (MapList::saveContent(listText()).bytes.isEmpty()) {
        m_showMessage(QStringLiteral("La liste ne contient aucune carte : %1 n'a pas été "
                                     "remplacé.\nCliquez sur Récupérer pour relire les cartes.")
                          .arg(QDir::toNativeSeparators(m_mapCyclePath)));
        return;
    }
    MapList::SaveContent saved;
    QString error;
    const bool written = MapList::save(m_modFolder, listText(), *m_files, &saved, &error);
    setListText(saved.listText);
    if (!written)
        m_showMessage(
            QStringLiteral("Impossible d'écrire %1 : %2\nL'ancien fichier reste en place.")
                .arg(QDir::toNativeSeparators(m_mapCyclePath), error));
    loadViewer();
}

void MixFrm::Command4_Click()
{
    if (m_command4->text() != QLatin1String("<<")) {
        m_command4->setText(QStringLiteral("<<"));
        setClientWidth(wideOuterTwips);
    } else {
        m_command4->setText(QStringLiteral(">>"));
        setClientWidth(narrowOuterTwips);
    }
}

void MixFrm::closeEvent(QCloseEvent *event)
{
    if (m_ended) {
        event->accept();
        return;
    }
    m_parle->speak(QStringLiteral("Good Bye"));
    if (!m_greetingPending) {
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
    if (m_greetingPending) {
        m_greetingPending = false;
        return;
    }
    m_greetingPending = true;
    endProgram();
}

void MixFrm::loadViewer()
{
    QString text = MapList::loadMapCycle(m_modFolder, *m_files);
    text.replace(QStringLiteral("\r\n"), QString(lf));
    text.replace(cr, lf);
    m_mapCycleViewer->setPlainText(text);
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

void MixFrm::setClientWidth(int outerTwips)
{
    setFixedSize(twips(outerTwips - frameTwips), twips(clientHeightTwips));
}
