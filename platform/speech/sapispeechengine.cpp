// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/speech/sapispeechengine.h"

#include <windows.h>

#include <sapi.h>

SpeechEngine *SapiSpeechEngine::create(QObject *parent)
{
    // Qt's Windows platform has started COM on this thread already; a start of our own is then
    // only counted, and given back with the engine.
    const HRESULT started = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool comStarted = SUCCEEDED(started);
    ISpVoice *voice = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_SpVoice, nullptr, CLSCTX_ALL, IID_ISpVoice,
                                  reinterpret_cast<void **>(&voice)))
        || !voice) {
        if (comStarted)
            ::CoUninitialize();
        return nullptr;
    }
    return new SapiSpeechEngine(voice, comStarted, parent);
}

SapiSpeechEngine::SapiSpeechEngine(ISpVoice *voice, bool comStarted, QObject *parent)
    : SpeechEngine(parent), m_voice(voice), m_comStarted(comStarted)
{
    m_poll.setInterval(50);
    connect(&m_poll, &QTimer::timeout, this, &SapiSpeechEngine::poll);
}

SapiSpeechEngine::~SapiSpeechEngine()
{
    // What is still being spoken stops with the program.
    m_voice->Speak(nullptr, SPF_PURGEBEFORESPEAK, nullptr);
    m_voice->Release();
    if (m_comStarted)
        ::CoUninitialize();
}

SpeechEngine::State SapiSpeechEngine::state() const
{
    return m_state;
}

void SapiSpeechEngine::say(const QString &text)
{
    // The text is said as it stands: never read as the voice's XML mark-up.
    const std::wstring words = text.toStdWString();
    if (FAILED(m_voice->Speak(words.c_str(), SPF_ASYNC | SPF_IS_NOT_XML, nullptr))) {
        m_state = State::Error;
        emit stateChanged(m_state);
        return;
    }
    m_state = State::Speaking;
    emit stateChanged(m_state);
    m_poll.start();
}

void SapiSpeechEngine::poll()
{
    SPVOICESTATUS status {};
    if (SUCCEEDED(m_voice->GetStatus(&status, nullptr)) && status.dwRunningState != SPRS_DONE)
        return;
    m_poll.stop();
    m_state = State::Ready;
    emit stateChanged(m_state);
}
