#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

/**
 * Whole-file reads and writes, byte for byte, that never leave a truncated or missing file:
 * a write goes to a temporary file in the target's folder, is flushed and synced to the disk, and
 * only then replaces the target in one rename. Virtual so that tests can make any step fail.
 */
class FileStore
{
public:
    virtual ~FileStore() = default;

    /// The whole content, or nothing (with the reason in \a error) when it cannot be read.
    virtual std::optional<QByteArray> readAll(const QString &path, QString *error = nullptr) const;
    /// Replaces (or creates) \a path with exactly \a content; the old file stays on failure.
    virtual bool writeAtomically(const QString &path, const QByteArray &content,
                                 QString *error = nullptr);
    /// Copies \a source over \a target through writeAtomically().
    bool copyAtomically(const QString &source, const QString &target, QString *error = nullptr);
    /// Creates the folder \a path with its missing parents; a folder already there is no failure.
    bool makeFolder(const QString &path, QString *error = nullptr);
};
