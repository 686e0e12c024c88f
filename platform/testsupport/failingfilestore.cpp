// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/testsupport/failingfilestore.h"

Result<> FailingFileStore::writeAtomically(const QString &path, const QByteArray &content)
{
    if (failAll || (!failingPath.isEmpty() && path == failingPath))
        return Result<>::failure(Failure::ofSystem(std::make_error_code(error)));
    return FileStore::writeAtomically(path, content);
}
