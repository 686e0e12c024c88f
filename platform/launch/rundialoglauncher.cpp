// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/launch/rundialoglauncher.h"

#include <QCoreApplication>

RunDialogLauncher::RunDialogLauncher(KeystrokeSender &sender, int dispatchPasses)
    : m_sender(sender), m_dispatchPasses(dispatchPasses)
{ }

Result<> RunDialogLauncher::launch(const QString &commandLine)
{
    using Direction = KeystrokeSender::Direction;
    m_sender.keyEvent(LeftWindowsKey, Direction::Down);
    m_sender.keyEvent(KeyR, Direction::Down);
    m_sender.keyEvent(KeyR, Direction::Up);
    m_sender.keyEvent(LeftWindowsKey, Direction::Up);

    // The shell opens the dialog asynchronously; letting events run is all the waiting there is.
    for (int pass = 0; pass < m_dispatchPasses; ++pass)
        QCoreApplication::processEvents();

    m_sender.sendKeys(escapeKeys(commandLine));
    m_sender.sendKeys(QStringLiteral("{ENTER}"));
    return {};
}

QString RunDialogLauncher::escapeKeys(const QString &text)
{
    // Unescaped, "+" would hold Shift and "%" Alt, so a path such as C:\Jeux (2)\hl.exe would be
    // typed wrong.
    static const QString reserved = QStringLiteral("+^%~(){}[]");
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text)
        escaped += reserved.contains(c) ? QStringLiteral("{%1}").arg(c) : QString(c);
    return escaped;
}
