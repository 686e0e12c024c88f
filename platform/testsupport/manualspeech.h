// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/speech/speechoutput.h"

#include <QStringList>

/**
 * Speech whose end-of-speech notifications the test hands out itself, one text at a time and
 * in the order spoken, so that a window can be caught between a text and its end.
 */
class ManualSpeech final : public SpeechOutput
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ManualSpeech)

public:
    using SpeechOutput::SpeechOutput;

    void speak(const QString &text) override;
    /// True while a spoken text has not been ended yet.
    bool isSpeaking() const override;
    /// Ends the oldest text still being spoken.
    void endNext();

    /// Every text asked for, in turn.
    QStringList spoken;

private:
    int m_ended = 0;
};
