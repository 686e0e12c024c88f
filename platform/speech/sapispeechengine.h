// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/speech/speechengine.h"

#include <QTimer>

struct ISpVoice;

/**
 * A SpeechEngine over Windows' own voice (the Speech API's ISpVoice). A text is spoken without
 * blocking the window; its end is noticed by looking at the voice's state a few times a second,
 * which needs no window of its own for the voice's notifications.
 */
class SapiSpeechEngine final : public SpeechEngine
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SapiSpeechEngine)

public:
    /// nullptr when the system has no voice; nothing is left behind then.
    static SpeechEngine *create(QObject *parent = nullptr);
    ~SapiSpeechEngine() override;

    State state() const override;
    void say(const QString &text) override;

private:
    SapiSpeechEngine(ISpVoice *voice, bool comStarted, QObject *parent);
    void poll();

    ISpVoice *m_voice;
    bool m_comStarted;
    State m_state = State::Ready;
    QTimer m_poll;
};
