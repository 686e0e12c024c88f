// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/testsupport/manualspeech.h"

void ManualSpeech::speak(const QString &text)
{
    spoken << text;
}

bool ManualSpeech::isSpeaking() const
{
    return m_ended < spoken.size();
}

void ManualSpeech::endNext()
{
    emit speechEnded(spoken.at(m_ended++));
}
