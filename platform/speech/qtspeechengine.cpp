// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/speech/qtspeechengine.h"

#include <QTextToSpeech>

QString QtSpeechEngine::engineName()
{
    // Named, because the order of availableEngines() changes from run to run and the
    // speech-dispatcher engine can block for seconds (or for ever) while it is constructed.
    const QString name = qEnvironmentVariable("SPEECH_ENGINE");
    return name.isEmpty() ? QStringLiteral("flite") : name;
}

SpeechEngine *QtSpeechEngine::createNamed(const QString &name, QObject *parent)
{
    if (!QTextToSpeech::availableEngines().contains(name))
        return nullptr;
    return new QtSpeechEngine(name, parent);
}

QtSpeechEngine::QtSpeechEngine(const QString &name, QObject *parent)
    : SpeechEngine(parent), m_speech(new QTextToSpeech(name, this))
{
    connect(m_speech, &QTextToSpeech::stateChanged, this,
            [this](QTextToSpeech::State state) { emit stateChanged(fromQt(state)); });
}

SpeechEngine::State QtSpeechEngine::state() const
{
    return fromQt(m_speech->state());
}

void QtSpeechEngine::say(const QString &text)
{
    m_speech->say(text);
}

SpeechEngine::State QtSpeechEngine::fromQt(int state)
{
    switch (state) {
    case QTextToSpeech::Ready:
        return State::Ready;
    case QTextToSpeech::Speaking:
        return State::Speaking;
    case QTextToSpeech::Paused:
        return State::Busy;
    default:
        return State::Error;
    }
}
