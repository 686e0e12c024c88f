// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "stats/analysis/logevent.h"

#include <optional>

// The server's log vocabulary is ASCII, so the parser works on the raw bytes of a line and the
// cuts fall on the same characters whether a name is written in UTF-8 or Windows-1252.

/// Parses one line (no line end, apostrophes already removed). Nothing when a cut would get a
/// negative length: the line is malformed and must be skipped.
std::optional<LogEvent> ParseLogLine(QByteArrayView line);

/// Drops a "(x)" clan prefix, a " (...)" suffix and a "[P...]" tag, in that order, from a name
/// written in UTF-8; positions count characters. The result views \a name.
QByteArrayView CleanPlayerName(QByteArrayView name);
