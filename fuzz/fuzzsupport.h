// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>

/**
 * What the fuzz targets share. A target feeds one input to the code that ships and checks what
 * must hold of the result; a check that fails stops the run, so that libFuzzer keeps the input
 * that found a wrong result and not only one that crashed.
 */
namespace Fuzz {

/// Stops the run, saying what broke and for what.
[[noreturn]] void fail(const char *what, const QString &detail = {});
/// fail() when \a holds is false. The detail is made whether or not: in a loop over many
/// bytes, test first and call fail().
inline void require(bool holds, const char *what, const QString &detail = {})
{
    if (!holds)
        fail(what, detail);
}

/// The application object of the targets that need one (an event loop, QSettings, the SQL
/// drivers); made on the first call.
void startApplication();
/// A folder of the run's own, made on the first call and removed when the run ends.
QString scratchFolder();

/// The input as the bytes the code under test takes.
inline QByteArrayView bytes(const std::uint8_t *data, std::size_t size)
{
    return QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
}

/// \a bytes in a form fit for a message: printable ASCII as it is, the rest as \xNN.
QString shown(QByteArrayView bytes);
/// \a text in a form fit for a message: printable ASCII as it is, the rest as \u{N}.
QString shownText(const QString &text);

} // namespace Fuzz
