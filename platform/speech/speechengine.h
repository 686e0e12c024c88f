// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

/**
 * The few states and the one operation the speech queue needs of a voice engine. Kept apart
 * from Qt TextToSpeech so that the queue can be driven by a scripted engine in tests.
 */
class SpeechEngine : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SpeechEngine)

public:
    enum class State { Ready, Speaking, Busy, Error };
    Q_ENUM(State)

    using QObject::QObject;

    virtual State state() const = 0;
    virtual void say(const QString &text) = 0;

signals:
    void stateChanged(SpeechEngine::State state);
};
