// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/core/configviewer.h"

#include "configmanager/core/gameconfig.h"
#include "configmanager/core/quorreltexts.h"
#include "platform/dialogs/frenchreasons.h"
#include "platform/files/filestore.h"

ConfigViewer::ConfigViewer(GameConfig &config) : m_config(config) { }

Result<> ConfigViewer::open(const QString &name)
{
    // The list can lose its selection (a refill) while the open button stays enabled.
    if (name.isEmpty())
        return Result<>::failure(QuorrelTexts::noEntrySelected());
    m_path = m_config.storedConfigPath(name);
    if (m_path.isEmpty())
        return Result<>::failure(
            QuorrelTexts::unreadableConfig(name, m_path, QuorrelTexts::noConfigFile()));
    const auto bytes = m_config.files().readAll(m_path);
    if (!bytes)
        return Result<>::failure(bytes.failure().toldAs(QuorrelTexts::unreadableConfig(
            name, m_path, FrenchReasons::translate(bytes.failure()))));
    m_opened = ConfigText::fromBytes(*bytes);
    return {};
}

bool ConfigViewer::needsQuestion(const QString &editorText) const
{
    const auto bytes = m_config.files().readAll(m_path);
    return !bytes || ConfigText::fromBytes(*bytes).text() != editorText;
}

Result<bool> ConfigViewer::answerClose(Dialogs::Answer answer, const QString &editorText)
{
    // Cancel keeps the viewer open; No closes it without writing.
    if (answer != Dialogs::Answer::Yes)
        return answer == Dialogs::Answer::No;
    // The file keeps the line ends it has now; the one read at opening if it has gone since.
    const auto current = m_config.files().readAll(m_path);
    const ConfigText format = current ? ConfigText::fromBytes(*current) : m_opened;
    const auto bytes = format.toBytes(editorText);
    // Replaced by "?" the character would be lost without a word; the user decides.
    if (!bytes)
        return Result<bool>::failure(bytes.failure().toldAs(
            QuorrelTexts::editsRefused(m_path, FrenchReasons::translate(bytes.failure()))));
    const auto written = m_config.files().writeAtomically(m_path, *bytes);
    if (!written)
        return Result<bool>::failure(written.failure().toldAs(
            QuorrelTexts::editsNotWritten(m_path, FrenchReasons::translate(written.failure()))));
    return true;
}
