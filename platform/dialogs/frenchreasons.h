// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/failure.h"

#include <QString>

/**
 * The reasons of failures, which the engines and the command lines give in English for server
 * operators, and the C library, SQLite and the system in their own words, put into French for
 * the windows. Each line is taken on its own: a line that is one of the engine's reasons becomes
 * a French sentence, and the system's words known here are put into French wherever they stand
 * in a line. What the table does not know is shown as it stands; the names of files are kept.
 */
namespace FrenchReasons {

QString translate(const QString &reason);
/// The same built from the parts of \a failure: what was being done, on what, and its kind.
QString translate(const Failure &failure);

} // namespace FrenchReasons
