// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/speech/silentspeech.h"
#include "platform/speech/speechoutput.h"

#include <QQueue>
#include <QTimer>

#include <functional>

class SpeechEngine;

/**
 * Speech through a real voice engine, with our own queue in front of it.
 *
 * The engine is handed one text at a time, and only when it is Ready, because a say() while it
 * speaks may cut the running text short; one Speaking-to-Ready cycle then counts as the end of
 * that one text. Once the engine is missing, errs, or stalls past a time-out that grows with the
 * text, it is given up for good and every text still waiting goes to a silent stand-in, so each
 * text gets its one notification, in order.
 */
class QueuedSpeech final : public SpeechOutput
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QueuedSpeech)

public:
    /// Returns nullptr when there is no engine; called once, the first time a text is due.
    using EngineFactory = std::function<SpeechEngine *(QObject *parent)>;

    struct Timing
    {
        int stallBaseMs = 3000;
        int stallPerCharMs = 150;
        SilentSpeech::Delay fallbackDelay = SilentSpeech::Delay::ByLength;
    };

    explicit QueuedSpeech(EngineFactory factory, QObject *parent = nullptr);
    QueuedSpeech(EngineFactory factory, Timing timing, QObject *parent = nullptr);

    void speak(const QString &text) override;
    bool isSpeaking() const override;

    /// True once the engine has been given up and texts go to the silent stand-in.
    bool isSilent() const { return m_silent != nullptr; }
    int stallTimeoutFor(const QString &text) const;

private:
    enum class Phase { Idle, WaitingForReady, Said, Speaking };

    void schedulePump();
    void pump();
    void sayCurrent();
    void onEngineState(int state);
    void finishCurrent();
    void deliver(const QString &text);
    void giveUp();

    EngineFactory m_factory;
    Timing m_timing;
    SpeechEngine *m_engine = nullptr;
    bool m_engineTried = false;
    SilentSpeech *m_silent = nullptr;
    QQueue<QString> m_pending;
    QString m_current;
    Phase m_phase = Phase::Idle;
    QTimer m_stallTimer;
    bool m_pumpScheduled = false;
    int m_undelivered = 0;
};
