// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>

/** The gzip format of HTTP's "Content-Encoding: gzip", through zlib. */
namespace Gzip {

/// \a data compressed as one gzip member; empty if zlib fails.
QByteArray compress(QByteArrayView data);

} // namespace Gzip
