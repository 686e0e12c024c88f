// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QString>

#include <memory>

/**
 * What the programs ask of a speech engine: speak a text, tell whether it is speaking, and
 * report the end of every spoken text exactly once, in the order spoken, as a queued event on
 * the user-interface thread (never from inside speak()). The windows rely on that one
 * notification per text, so implementations must deliver it even when no audio is possible.
 */
class SpeechOutput : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SpeechOutput)

public:
    using QObject::QObject;

    virtual void speak(const QString &text) = 0;
    virtual bool isSpeaking() const = 0;

    /// The engine the programs use, owned by the program's main; the silent stand-in when
    /// SPEECH_SILENT is set.
    static std::unique_ptr<SpeechOutput> create();

signals:
    void speechEnded(const QString &text);
};
