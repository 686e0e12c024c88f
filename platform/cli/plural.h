// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

/** Counts as the command lines write them: "1 file", "0 files", "2 files". */
namespace Plural {

/// \a n and \a one, or \a many when \a n is not 1 (\a many defaults to \a one with an "s").
inline QString counted(qint64 n, const QString &one, const QString &many = {})
{
    return QString::number(n) + QLatin1Char(' ')
        + (n == 1               ? one
               : many.isEmpty() ? one + QLatin1Char('s')
                                : many);
}

} // namespace Plural
