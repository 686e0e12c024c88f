// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/ui/reg.h"

#include "configmanager/core/gameconfig.h"
#include "configmanager/core/quorreltexts.h"
#include "platform/dialogs/dialogs.h"
#include "platform/windowkit/windowkit.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using Key = QuorrelSettings::Key;

// The game writes its file as "config.cfg" on Linux and "Config.cfg" on Windows; the pattern
// matches either, whatever the dialog's own case rules.
const QString Reg::ConfigFilter =
    QStringLiteral("Config.cfg ([Cc][Oo][Nn][Ff][Ii][Gg].[Cc][Ff][Gg])");
#ifdef Q_OS_WIN
const QString Reg::ProgramFilter = QStringLiteral("Programmes(*.exe) (*.exe)");
constexpr bool executablesOnly = false;
#else
// Linux programs have no ending: the dialog keeps the files that can be run.
const QString Reg::ProgramFilter = QStringLiteral("Programmes (*)");
constexpr bool executablesOnly = true;
#endif

Reg::Reg(GameConfig &config, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), m_config(config), m_dialogs(dialogs),
      m_Label1(new QLabel(QStringLiteral("Fichier de configuration :"), this)),
      m_Text1(new QLineEdit(this)), m_Command3(new QPushButton(QStringLiteral("..."), this)),
      m_Label3(new QLabel(QStringLiteral("Ligne de commande de Counter-Strike :"), this)),
      m_Text3(new QLineEdit(this)), m_Command4(new QPushButton(QStringLiteral("..."), this)),
      m_Command2(new QPushButton(QStringLiteral("&Abort"), this)),
      m_Command1(new QPushButton(QStringLiteral("&Save"), this))
{
    setObjectName(QStringLiteral("Reg"));
    setFixedSize(WindowKit::fromTwips(5085, 2490));
    WindowKit::paintBackground(this);

    WindowKit::place(m_Label1, "Label1", 120, 240, 1935, 255);
    WindowKit::setTextColor(m_Label1, Qt::red);
    WindowKit::place(m_Text1, "Text1", 1320, 480, 3255, 285);
    WindowKit::place(m_Command3, "Command3", 4680, 480, 375, 255);
    WindowKit::place(m_Label3, "Label3", 120, 1035, 3135, 255);
    WindowKit::setTextColor(m_Label3, Qt::red);
    WindowKit::place(m_Text3, "Text3", 1320, 1275, 3255, 285);
    WindowKit::place(m_Command4, "Command4", 4680, 1275, 375, 255);
    WindowKit::place(m_Command2, "Command2", 525, 1905, 1455, 255);
    WindowKit::place(m_Command1, "Command1", 3165, 1905, 1455, 255);
    m_Command1->setEnabled(false);

    WindowKit::setTabOrder({m_Text1, m_Text3, m_Command1, m_Command2, m_Command3, m_Command4});

    connect(m_Text1, &QLineEdit::textChanged, this, &Reg::Text_Change);
    connect(m_Text3, &QLineEdit::textChanged, this, &Reg::Text_Change);
    connect(m_Command1, &QPushButton::clicked, this, &Reg::Command1_Click);
    connect(m_Command2, &QPushButton::clicked, this, &Reg::Command2_Click);
    connect(m_Command3, &QPushButton::clicked, this, &Reg::Command3_Click);
    connect(m_Command4, &QPushButton::clicked, this, &Reg::Command4_Click);

    Form_Load();
    WindowKit::fitTextToWidth(m_Label1);
    WindowKit::fitTextToWidth(m_Label3);
    WindowKit::centreOnScreen(this);
}

void Reg::Form_Load()
{
    m_Text1->setText(m_config.settings().value(Key::RepertoryFile));
    m_Text3->setText(m_config.settings().value(Key::ExecFile));
}

void Reg::Text_Change()
{
    // Only emptiness counts: blanks are a value, and nothing is looked up on the disk.
    m_Command1->setEnabled(!m_Text1->text().isEmpty() && !m_Text3->text().isEmpty());
}

void Reg::Command1_Click()
{
    QuorrelSettings &settings = m_config.settings();
    const bool stored = settings.setValue(Key::RepertoryFile, m_Text1->text())
        && settings.setValue(Key::ExecFile, m_Text3->text());
    if (!stored) {
        m_dialogs.inform(this, QuorrelTexts::programName(),
                         QuorrelTexts::pathsNotStored(settings.location()));
        return;
    }
    hide();
    emit finished(true);
}

void Reg::Command2_Click()
{
    hide();
    emit finished(false);
}

void Reg::closeEvent(QCloseEvent *event)
{
    // Without the main window shown again, nothing on screen would be left to use.
    if (isVisible())
        Command2_Click();
    event->accept();
}

void Reg::Command3_Click()
{
    const QString chosen = m_dialogs.chooseFile(
        this, Dialogs::FileRequest {QuorrelTexts::configDialogTitle(), ConfigFilter});
    if (!chosen.isEmpty())
        m_Text1->setText(chosen);
}

void Reg::Command4_Click()
{
    const QString chosen = m_dialogs.chooseFile(
        this,
        Dialogs::FileRequest {QuorrelTexts::programDialogTitle(), ProgramFilter, executablesOnly});
    if (chosen.isEmpty())
        return;
#ifdef Q_OS_WIN
    m_Text3->setText(chosen);
#else
    // The command line is split at blanks when the game starts, so a path holding one is quoted.
    const bool hasBlank = chosen.contains(QLatin1Char(' ')) || chosen.contains(QLatin1Char('\t'));
    m_Text3->setText(hasBlank ? QLatin1Char('"') + chosen + QLatin1Char('"') : chosen);
#endif
}
