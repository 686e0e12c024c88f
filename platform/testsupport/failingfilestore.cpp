#include "platform/testsupport/failingfilestore.h"

Result<> FailingFileStore::writeAtomically(const QString &path, const QByteArray &content)
{
    if (failAll || (!failingPath.isEmpty() && path == failingPath))
        return Result<>::failure(reason);
    return FileStore::writeAtomically(path, content);
}
