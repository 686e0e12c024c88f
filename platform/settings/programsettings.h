#pragma once

#include "platform/result/result.h"

#include <QString>

class SettingsStore;

/**
 * The shape every program's settings take: an enum of keys, one table that gives each key its
 * section, its name and its default, and value() and setValue() over the per-user settings store
 * under the program's application name. A key never written, or holding the empty text, reads
 * as its default; a write that fails leaves the old value in force and says where the settings
 * are kept.
 */
class ProgramSettings
{
public:
    /// Where the values are kept, for messages about a failed write.
    QString location() const;

protected:
    /// Where a key is kept, and what it reads as while it holds nothing.
    struct Entry
    {
        QString section;
        QString name;
        QString defaultValue = {};
    };

    ProgramSettings(SettingsStore &store, QString application);
    QString read(const Entry &entry) const;
    Result<> write(const Entry &entry, const QString &value);

private:
    SettingsStore &m_store;
    QString m_application;
};
