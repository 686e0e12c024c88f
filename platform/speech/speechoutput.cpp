// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/speech/speechoutput.h"

#include "platform/speech/queuedspeech.h"
#include "platform/speech/silentspeech.h"

#ifdef Q_OS_WIN
#include "platform/speech/sapispeechengine.h"
#else
#include "platform/speech/qtspeechengine.h"
#endif

std::unique_ptr<SpeechOutput> SpeechOutput::create()
{
    const QByteArray silent = qgetenv("SPEECH_SILENT");
    if (!silent.isEmpty() && silent != "0")
        return std::make_unique<SilentSpeech>(SilentSpeech::Delay::None);
    return std::make_unique<QueuedSpeech>([](QObject *owner) {
#ifdef Q_OS_WIN
        return SapiSpeechEngine::create(owner);
#else
        return QtSpeechEngine::createNamed(QtSpeechEngine::engineName(), owner);
#endif
    });
}
