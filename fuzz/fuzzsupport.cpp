// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "fuzz/fuzzsupport.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace Fuzz {

void fail(const char *what, const QString &detail)
{
    std::fprintf(stderr, "\n*** broken: %s\n", what);
    if (!detail.isEmpty())
        std::fprintf(stderr, "*** %s\n", detail.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

void startApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    // Kept to the end of the process, past the objects of the targets that use it.
    static const QCoreApplication *application = new QCoreApplication(argc, argv);
    Q_UNUSED(application);
}

QString scratchFolder()
{
    static const auto folder = [] {
        auto made = std::make_unique<QTemporaryDir>();
        require(made->isValid(), "a scratch folder can be made", made->errorString());
        return made;
    }();
    return folder->path();
}

QString shown(QByteArrayView bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\')
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x%1").arg(uint(byte), 2, 16, QLatin1Char('0'));
    }
    return text;
}

QString shownText(const QString &text)
{
    // By UTF-16 unit, so that a lone surrogate shows as what it is.
    QString out;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F && c != u'\\')
            out += c;
        else
            out += QStringLiteral("\\u{%1}").arg(uint(c.unicode()), 0, 16);
    }
    return out;
}

} // namespace Fuzz
