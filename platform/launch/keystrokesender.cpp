// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/launch/keystrokesender.h"

KeystrokeSender::~KeystrokeSender() = default;
