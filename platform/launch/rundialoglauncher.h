// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/launch/gamelauncher.h"
#include "platform/launch/keystrokesender.h"

/**
 * Starts the game through the desktop's Run dialog: Windows+R, a pause of event dispatch while the
 * dialog opens, the command line typed into it, then Enter. There is no way to tell whether the
 * dialog opened, so launch() always reports success.
 */
class RunDialogLauncher : public GameLauncher
{
public:
    static constexpr std::uint8_t LeftWindowsKey = 0x5B;
    static constexpr std::uint8_t KeyR = 0x52;
    static constexpr int DefaultDispatchPasses = 50001;

    explicit RunDialogLauncher(KeystrokeSender &sender, int dispatchPasses = DefaultDispatchPasses);

    Result<> launch(const QString &commandLine) override;

    /// \a text with the characters the SendKeys notation reserves wrapped in braces.
    static QString escapeKeys(const QString &text);

private:
    KeystrokeSender &m_sender;
    int m_dispatchPasses;
};
