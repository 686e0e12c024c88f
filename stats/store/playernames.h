// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

/** How a player's name is shown to people: names come from anyone who joins a server. */
namespace PlayerNames {

/// \a nom with every character that would act rather than show (controls, terminal escape
/// sequences, bidirectional overrides, line separators, lone surrogates) written as an escape
/// ("\x1b", "\u{202e}"), and a backslash doubled, so that the escapes cannot be imitated.
QString visible(const QString &nom);

} // namespace PlayerNames
