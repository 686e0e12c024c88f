#include "filestore.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

std::optional<QByteArray> FileStore::readAll(const QString &path, QString *error) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return content;
}

bool FileStore::writeAtomically(const QString &path, const QByteArray &content, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(content) != content.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool FileStore::copyAtomically(const QString &source, const QString &target, QString *error)
{
    const auto content = readAll(source, error);
    if (!content)
        return false;
    return writeAtomically(target, *content, error);
}
