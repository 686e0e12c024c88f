// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/files/filestore.h"

#include <system_error>

/** A file store whose writes fail, as on a full disk or a read-only or locked file. */
class FailingFileStore final : public FileStore
{
public:
    Result<> writeAtomically(const QString &path, const QByteArray &content) override;

    bool failAll = false; ///< every write fails
    QString failingPath; ///< else only writes to this path fail
    std::errc error = std::errc::permission_denied;
};
