#include "settingsstore.h"

#include <QSettings>
#include <QUrl>

#include <memory>

namespace {

std::unique_ptr<QSettings> openSettings(const QString &rootFolder, const QString &application)
{
    if (rootFolder.isEmpty())
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           application, application);
    return std::make_unique<QSettings>(rootFolder + QLatin1Char('/') + application
                                           + QStringLiteral(".conf"),
                                       QSettings::IniFormat);
}

QString settingsKey(const QString &section, const QString &key)
{
    // An empty section lands in QSettings' root group, which no encoded section can reach.
    return SettingsStore::encodeName(section) + QLatin1Char('/') + SettingsStore::encodeName(key);
}

} // namespace

SettingsStore::SettingsStore(QString rootFolder) : m_rootFolder(std::move(rootFolder)) { }

QString SettingsStore::read(const QString &application, const QString &section,
                            const QString &key) const
{
    const auto settings = openSettings(m_rootFolder, application);
    return settings->value(settingsKey(section, key)).toString();
}

bool SettingsStore::write(const QString &application, const QString &section, const QString &key,
                          const QString &value)
{
    const auto settings = openSettings(m_rootFolder, application);
    const QString at = settingsKey(section, key);
    const QVariant previous = settings->value(at);
    settings->setValue(at, value);
    settings->sync();
    if (settings->status() == QSettings::NoError)
        return true;
    // QSettings keeps a value it could not save in a cache that every QSettings of the same file
    // reads through: left there, it would be in force until the program ends, though the file
    // still holds the old one.
    if (previous.isValid())
        settings->setValue(at, previous);
    else
        settings->remove(at);
    return false;
}

QString SettingsStore::encodeName(const QString &name)
{
    // Percent-encoding of everything but letters, digits and "-._~" is injective, so no two
    // sections can meet, and it leaves ordinary mod names readable in the file.
    return QString::fromLatin1(name.toUtf8().toPercentEncoding());
}

QString SettingsStore::decodeName(const QString &encoded)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(encoded.toLatin1()));
}
