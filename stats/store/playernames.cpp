// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/playernames.h"

#include <QList>

QString PlayerNames::visible(const QString &nom)
{
    QString shown;
    shown.reserve(nom.size());
    for (const char32_t c : nom.toUcs4()) {
        const QChar::Category category = QChar::category(c);
        if (c == U'\\') {
            shown += QStringLiteral("\\\\");
        } else if (category == QChar::Other_Control || category == QChar::Other_Format
                   || category == QChar::Other_Surrogate || category == QChar::Separator_Line
                   || category == QChar::Separator_Paragraph) {
            shown += c <= 0xFF ? QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'))
                               : QStringLiteral("\\u{%1}").arg(uint(c), 4, 16, QLatin1Char('0'));
        } else {
            shown += QString::fromUcs4(&c, 1);
        }
    }
    return shown;
}
