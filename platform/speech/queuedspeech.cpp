// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/speech/queuedspeech.h"

#include "platform/speech/speechengine.h"

QueuedSpeech::QueuedSpeech(EngineFactory factory, QObject *parent)
    : QueuedSpeech(std::move(factory), Timing {}, parent)
{ }

QueuedSpeech::QueuedSpeech(EngineFactory factory, Timing timing, QObject *parent)
    : SpeechOutput(parent), m_factory(std::move(factory)), m_timing(timing)
{
    m_stallTimer.setSingleShot(true);
    connect(&m_stallTimer, &QTimer::timeout, this, &QueuedSpeech::giveUp);
}

void QueuedSpeech::speak(const QString &text)
{
    if (m_silent) {
        m_silent->speak(text);
        return;
    }
    m_pending.enqueue(text);
    schedulePump();
}

bool QueuedSpeech::isSpeaking() const
{
    return m_phase != Phase::Idle || !m_pending.isEmpty() || m_undelivered > 0
        || (m_silent && m_silent->isSpeaking());
}

int QueuedSpeech::stallTimeoutFor(const QString &text) const
{
    return m_timing.stallBaseMs + m_timing.stallPerCharMs * int(text.size());
}

void QueuedSpeech::schedulePump()
{
    // The engine is created and fed from the event loop, never from inside speak(): the caller
    // is often a window that is still being built.
    if (m_pumpScheduled)
        return;
    m_pumpScheduled = true;
    QMetaObject::invokeMethod(this, &QueuedSpeech::pump, Qt::QueuedConnection);
}

void QueuedSpeech::pump()
{
    m_pumpScheduled = false;
    if (m_silent || m_phase != Phase::Idle || m_pending.isEmpty())
        return;
    if (!m_engineTried) {
        m_engineTried = true;
        m_engine = m_factory ? m_factory(this) : nullptr;
        if (m_engine)
            connect(m_engine, &SpeechEngine::stateChanged, this,
                    [this](SpeechEngine::State state) { onEngineState(int(state)); });
    }
    if (!m_engine || m_engine->state() == SpeechEngine::State::Error) {
        giveUp();
        return;
    }
    m_current = m_pending.dequeue();
    if (m_current.trimmed().isEmpty()) {
        // The engine says nothing and reports nothing for an empty text.
        deliver(m_current);
        schedulePump();
        return;
    }
    m_stallTimer.start(stallTimeoutFor(m_current));
    if (m_engine->state() == SpeechEngine::State::Ready)
        sayCurrent();
    else
        m_phase = Phase::WaitingForReady;
}

void QueuedSpeech::sayCurrent()
{
    // The phase is set first because an engine may report Speaking from inside say().
    m_phase = Phase::Said;
    m_engine->say(m_current);
}

void QueuedSpeech::onEngineState(int value)
{
    if (m_silent || m_phase == Phase::Idle)
        return;
    const auto state = SpeechEngine::State(value);
    if (state == SpeechEngine::State::Error) {
        giveUp();
        return;
    }
    switch (m_phase) {
    case Phase::WaitingForReady:
        if (state == SpeechEngine::State::Ready)
            sayCurrent();
        break;
    case Phase::Said:
        if (state == SpeechEngine::State::Speaking)
            m_phase = Phase::Speaking;
        break;
    case Phase::Speaking:
        if (state == SpeechEngine::State::Ready)
            finishCurrent();
        break;
    case Phase::Idle:
        break;
    }
}

void QueuedSpeech::finishCurrent()
{
    m_stallTimer.stop();
    m_phase = Phase::Idle;
    deliver(m_current);
    schedulePump();
}

void QueuedSpeech::deliver(const QString &text)
{
    ++m_undelivered;
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            --m_undelivered;
            emit speechEnded(text);
        },
        Qt::QueuedConnection);
}

void QueuedSpeech::giveUp()
{
    m_stallTimer.stop();
    if (m_engine) {
        // Not deleted: tearing down an engine whose daemon is stuck can block as well.
        disconnect(m_engine, nullptr, this, nullptr);
    }
    m_silent = new SilentSpeech(m_timing.fallbackDelay, this);
    connect(m_silent, &SpeechOutput::speechEnded, this, &SpeechOutput::speechEnded);
    if (m_phase != Phase::Idle)
        m_silent->speak(m_current);
    m_phase = Phase::Idle;
    while (!m_pending.isEmpty())
        m_silent->speak(m_pending.dequeue());
}
