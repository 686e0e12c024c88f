// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/dialogs/dialogs.h"

#include "platform/dialogs/frenchreasons.h"

#include <QStringList>

void Dialogs::informFailure(QWidget *parent, const QString &title, const QString &text)
{
    const QString french = FrenchReasons::translate(text);
    const QStringList before = text.split(QLatin1Char('\n'));
    const QStringList after = french.split(QLatin1Char('\n'));
    QStringList original;
    if (before.size() == after.size()) {
        for (qsizetype i = 0; i < before.size(); ++i) {
            if (before.at(i) != after.at(i))
                original << before.at(i);
        }
    } else {
        original = before;
    }
    inform(parent, title, french, original.join(QLatin1Char('\n')));
}
