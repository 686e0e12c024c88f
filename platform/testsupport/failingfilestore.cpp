#include "failingfilestore.h"

bool FailingFileStore::writeAtomically(const QString &path, const QByteArray &content,
                                       QString *error)
{
    if (failAll || (!failingPath.isEmpty() && path == failingPath)) {
        if (error)
            *error = reason;
        return false;
    }
    return FileStore::writeAtomically(path, content, error);
}
