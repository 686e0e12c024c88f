// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/speech/silentspeech.h"

SilentSpeech::SilentSpeech(Delay delay, QObject *parent) : SpeechOutput(parent), m_delay(delay)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SilentSpeech::finishCurrent);
}

void SilentSpeech::speak(const QString &text)
{
    m_pending.enqueue(text);
    if (!m_speaking)
        startNext();
}

bool SilentSpeech::isSpeaking() const
{
    return m_speaking;
}

int SilentSpeech::delayFor(const QString &text)
{
    // Roughly the pace of a voice: a short pause plus a little per character.
    return 150 + 40 * int(text.size());
}

void SilentSpeech::startNext()
{
    if (m_pending.isEmpty()) {
        m_speaking = false;
        return;
    }
    m_speaking = true;
    m_timer.start(m_delay == Delay::None ? 0 : delayFor(m_pending.head()));
}

void SilentSpeech::finishCurrent()
{
    const QString text = m_pending.dequeue();
    startNext();
    emit speechEnded(text);
}
