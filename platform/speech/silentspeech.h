// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/speech/speechoutput.h"

#include <QQueue>
#include <QTimer>

/**
 * Speech without sound: every text still ends, in order, after a short pause that grows with
 * its length (or at once on the next event-loop pass, for tests).
 */
class SilentSpeech final : public SpeechOutput
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SilentSpeech)

public:
    enum class Delay { None, ByLength };

    explicit SilentSpeech(Delay delay, QObject *parent = nullptr);

    void speak(const QString &text) override;
    bool isSpeaking() const override;

    static int delayFor(const QString &text);

private:
    void startNext();
    void finishCurrent();

    Delay m_delay;
    QQueue<QString> m_pending;
    QTimer m_timer;
    bool m_speaking = false;
};
