// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/settings/settingsstore.h"

#include <QSettings>

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

// Earlier versions percent-encoded every character but "-._~" themselves and QSettings then
// escaped their "%" again: "my mod" was stored as [my%2520mod]. Such values are still read.
QString earlierSettingsKey(const QString &section, const QString &key)
{
    const auto encode = [](const QString &name) {
        return QString::fromLatin1(name.toUtf8().toPercentEncoding());
    };
    return encode(section) + QLatin1Char('/') + encode(key);
}

} // namespace

SettingsStore::SettingsStore(QString rootFolder) : m_rootFolder(std::move(rootFolder)) { }

QString SettingsStore::read(const QString &application, const QString &section,
                            const QString &key) const
{
    const auto settings = openSettings(m_rootFolder, application);
    const QString current = settingsKey(section, key);
    if (settings->contains(current))
        return settings->value(current).toString();
    const QString earlier = earlierSettingsKey(section, key);
    return earlier != current ? settings->value(earlier).toString() : QString();
}

bool SettingsStore::write(const QString &application, const QString &section, const QString &key,
                          const QString &value)
{
    const auto settings = openSettings(m_rootFolder, application);
    const QString at = settingsKey(section, key);
    const QString earlier = earlierSettingsKey(section, key);
    const QVariant previous = settings->value(at);
    const QVariant previousEarlier = earlier != at ? settings->value(earlier) : QVariant();
    settings->setValue(at, value);
    // The value now lives under its new name only.
    if (earlier != at)
        settings->remove(earlier);
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
    if (previousEarlier.isValid())
        settings->setValue(earlier, previousEarlier);
    return false;
}

QString SettingsStore::location(const QString &application) const
{
    return openSettings(m_rootFolder, application)->fileName();
}

QString SettingsStore::encodeName(const QString &name)
{
    // QSettings takes "/" and "\" for group separators, so those two are escaped, and "%" so
    // that no two sections can meet. Everything else goes through as it is: QSettings escapes
    // it once in its own file ("my mod" becomes [my%20mod]).
    // "%" first, so that the escapes made after it are left alone.
    QString encoded = name;
    return encoded.replace(u'%', QLatin1String("%25"))
        .replace(u'/', QLatin1String("%2F"))
        .replace(u'\\', QLatin1String("%5C"));
}

QString SettingsStore::decodeName(const QString &encoded)
{
    QString name;
    name.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        const QStringView escape = QStringView(encoded).mid(i, 3);
        if (escape == QLatin1String("%25"))
            name += u'%';
        else if (escape == QLatin1String("%2F"))
            name += u'/';
        else if (escape == QLatin1String("%5C"))
            name += u'\\';
        else {
            name += encoded.at(i);
            continue;
        }
        i += 2;
    }
    return name;
}
