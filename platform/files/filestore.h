// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <system_error>

/**
 * Whole-file reads and writes, byte for byte, that never leave a truncated or missing file:
 * a write goes to a temporary file in the target's folder, is flushed and synced to the disk, and
 * only then replaces the target in one rename. Virtual so that tests can make any step fail.
 */
class FileStore
{
public:
    virtual ~FileStore() = default;

    /// The whole content, or why it cannot be read.
    virtual Result<QByteArray> readAll(const QString &path) const;
    /// Replaces (or creates) \a path with exactly \a content; the old file stays on failure.
    virtual Result<> writeAtomically(const QString &path, const QByteArray &content);
    /// Creates the folder \a path with its missing parents; a folder already there is no failure.
    Result<> makeFolder(const QString &path);

    /// The error the last failed call into the system left behind.
    static std::error_code lastSystemError();
    /// Why an operation on \a file failed, just after it failed: with the system's error when
    /// it is the one the file's error text tells.
    static Failure failureOf(const QFileDevice &file, const QString &what = {},
                             const QString &object = {});
};
