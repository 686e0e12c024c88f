// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/failure.h"

#include <QString>

/**
 * Failures, which the engines and the command lines tell in English for server operators, put
 * into French for the windows from their parts: what was being done (a table of the engine's
 * actions), on what, and why: the system's error, else the failure's kind. A cause neither
 * knows stays in the words it came in; the names of files are kept.
 */
namespace FrenchReasons {

/// Why \a failure happened, as the end of a French sentence ("le disque est plein").
QString cause(const Failure &failure);
/// The whole of \a failure in French: the message a layer wrote for people when there is one,
/// else a sentence of its own.
QString translate(const Failure &failure);

} // namespace FrenchReasons
