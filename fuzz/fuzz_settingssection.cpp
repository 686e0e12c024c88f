// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A settings section name, which is whatever a user typed as the mod name on the command line,
// through the settings store: the encoding that keeps QSettings from reading "/" and "\" as
// group separators, and values written and read back through a real settings file. Checked:
// decoding what was encoded gives the name back; two different names never share a value.
//
// The input is up to three names, separated by line feeds, as UTF-8; with its first byte odd,
// as UTF-16 units, which may hold lone surrogates, as a Windows command line can.

#include "fuzz/fuzzsupport.h"
#include "platform/settings/settingsstore.h"

#include <QFile>

namespace {

const QString application = QStringLiteral("Rondelay");
const QString key = QStringLiteral("Dossier");

QStringList namesOf(QByteArrayView input)
{
    if (input.isEmpty())
        return {QString()};
    QString text;
    if (input[0] & 1) {
        const QByteArrayView units = input.sliced(1);
        text = QString(reinterpret_cast<const QChar *>(units.data()), units.size() / 2);
    } else {
        text = QString::fromUtf8(input.sliced(1));
    }
    QStringList names = text.split(QLatin1Char('\n'));
    while (names.size() > 3)
        names.removeLast();
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QStringList names = namesOf(Fuzz::bytes(data, size));
    for (const QString &name : names) {
        const QString encoded = SettingsStore::encodeName(name);
        Fuzz::require(!encoded.contains(QLatin1Char('/')) && !encoded.contains(QLatin1Char('\\')),
                      "an encoded name holds no group separator", Fuzz::shownText(name));
        Fuzz::require(SettingsStore::decodeName(encoded) == name,
                      "decoding an encoded name gives the name back",
                      Fuzz::shownText(name) + QStringLiteral(" -> ") + Fuzz::shownText(encoded));
    }

    // The file is removed first: QSettings finds it gone and reads it afresh, empty.
    Fuzz::startApplication();
    const QString root = Fuzz::scratchFolder() + QStringLiteral("/settings");
    SettingsStore store(root);
    QFile::remove(store.location(application));
    for (int i = 0; i < names.size(); ++i)
        Fuzz::require(store.write(application, names[i], key, QString::number(i)),
                      "a value is stored under any section name", Fuzz::shownText(names[i]));
    for (int i = 0; i < names.size(); ++i) {
        // The last write of an equal name wins.
        const qsizetype last = names.lastIndexOf(names[i]);
        const QString value = store.read(application, names[i], key);
        Fuzz::require(value == QString::number(last),
                      "a value reads back under its section name, and under no other",
                      names.join(QStringLiteral(" | ")).isEmpty()
                          ? QString()
                          : Fuzz::shownText(names.join(QStringLiteral(" | ")))
                              + QStringLiteral(": %1 read %2").arg(i).arg(value));
    }
    // A name never written reads as the empty text, whatever was written beside it.
    const QString unwritten = names.join(QString()) + QStringLiteral("\x01");
    if (!names.contains(unwritten))
        Fuzz::require(store.read(application, unwritten, key).isEmpty(),
                      "a section never written reads as the empty text",
                      Fuzz::shownText(unwritten));
    return 0;
}
