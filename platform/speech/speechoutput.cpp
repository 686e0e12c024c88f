// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/speech/speechoutput.h"

#include "platform/speech/qtspeechengine.h"
#include "platform/speech/queuedspeech.h"
#include "platform/speech/silentspeech.h"

std::unique_ptr<SpeechOutput> SpeechOutput::create()
{
    const QByteArray silent = qgetenv("SPEECH_SILENT");
    if (!silent.isEmpty() && silent != "0")
        return std::make_unique<SilentSpeech>(SilentSpeech::Delay::None);
    return std::make_unique<QueuedSpeech>([](QObject *owner) {
        return QtSpeechEngine::createNamed(QtSpeechEngine::engineName(), owner);
    });
}
