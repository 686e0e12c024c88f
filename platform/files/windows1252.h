// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

/**
 * The Windows code page 1252 (Western European), both ways, without loss: every byte decodes to
 * one character and encodes back to the same byte, the five codes the code page leaves unassigned
 * included (they keep their C1 control value). Game configurations and server logs of the
 * Windows era are written in it.
 */
class Windows1252
{
public:
    static QString decode(QByteArrayView bytes);
    /// The bytes of \a text, or nothing when a character has no byte in the code page; then
    /// \a unencodable (if given) is set to the index of the first such character.
    static std::optional<QByteArray> encode(QStringView text, qsizetype *unencodable = nullptr);
};
