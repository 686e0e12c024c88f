// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/speech/speechengine.h"

SpeechEngine::SpeechEngine(QObject *parent) : QObject(parent) { }

SpeechEngine::~SpeechEngine() = default;
