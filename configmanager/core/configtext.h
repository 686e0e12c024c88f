// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"

#include <QByteArray>
#include <QString>

/**
 * A configuration file as the viewer edits it: one character per byte in the Windows code page
 * 1252 the game writes, and its line ends folded to "\n" for the editor (which cannot hold a
 * lone "\r") and restored on the way back, so that a file with Windows line ends or accented
 * bytes is written back exactly as it was read.
 */
class ConfigText
{
public:
    enum class LineEnd { Lf, CrLf, Cr };

    ConfigText() = default;
    static ConfigText fromBytes(const QByteArray &bytes);
    /// Folds the paragraph and line separators an editor document keeps into "\n".
    static QString fromEditor(const QString &rawEditorText);

    const QString &text() const { return m_text; }
    LineEnd lineEnd() const { return m_lineEnd; }
    /// \a text with this file's line end after every line, one byte per character; fails,
    /// naming the character and its line, when a character has no byte in the code page.
    Result<QByteArray> toBytes(const QString &text) const;

private:
    QString m_text;
    LineEnd m_lineEnd = LineEnd::Lf;
};
