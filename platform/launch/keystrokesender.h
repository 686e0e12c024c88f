// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <cstdint>

/**
 * Keyboard synthesis as a Windows desktop offers it: single key events by virtual-key code, and
 * a string in the SendKeys notation ("{ENTER}", "{+}") sent to the focused window, returning once
 * the keystrokes have been processed.
 */
class KeystrokeSender
{
public:
    enum class Direction { Down, Up };

    virtual ~KeystrokeSender() = default;

    virtual void keyEvent(std::uint8_t virtualKey, Direction direction) = 0;
    virtual void sendKeys(const QString &keys) = 0;
};
