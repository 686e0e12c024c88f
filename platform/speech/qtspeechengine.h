// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/speech/speechengine.h"

class QTextToSpeech;

/** A SpeechEngine over one named Qt TextToSpeech engine (flite unless told otherwise). */
class QtSpeechEngine final : public SpeechEngine
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QtSpeechEngine)

public:
    /// The engine named by SPEECH_ENGINE, or "flite".
    static QString engineName();
    /// nullptr when no plugin of that name is installed; nothing is constructed then.
    static SpeechEngine *createNamed(const QString &name, QObject *parent = nullptr);

    State state() const override;
    void say(const QString &text) override;

private:
    QtSpeechEngine(const QString &name, QObject *parent);

    static State fromQt(int state);

    QTextToSpeech *m_speech;
};
