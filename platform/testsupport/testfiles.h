// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>

/** Fixture files for tests, byte for byte. */
namespace TestFiles {

/// Writes \a bytes to \a path, creating its folder; false when that fails.
bool write(const QString &path, const QByteArray &bytes = {});
/// The whole file, or "<missing>" so that a comparison shows the file is not there.
QByteArray read(const QString &path);

} // namespace TestFiles
