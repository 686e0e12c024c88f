// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/benchreport.h"

#include <QLocale>

#include <cstdio>

namespace {

void print(std::FILE *to, const QString &text)
{
    std::fputs(text.toUtf8().constData(), to);
    std::fputc('\n', to);
    std::fflush(to);
}

} // namespace

void BenchReport::heading(const QString &text)
{
    print(stdout, text);
}

void BenchReport::scenario(const QString &name, const QString &what)
{
    m_current = name;
    print(stdout, QString());
    print(stdout, QStringLiteral("%1: %2").arg(name, what));
}

void BenchReport::figure(const QString &label, const QString &value)
{
    print(stdout, QStringLiteral("  %1 %2").arg(label + QLatin1Char(':'), -22).arg(value));
}

void BenchReport::target(const QString &what, bool met)
{
    print(stdout,
          QStringLiteral("  %1 %2").arg(QStringLiteral("target:"), -22).arg(what)
              + QStringLiteral(": ") + (met ? QStringLiteral("met") : QStringLiteral("MISSED")));
    (met ? m_met : m_missed) << m_current + QStringLiteral(" (") + what + QLatin1Char(')');
}

void BenchReport::error(const QString &what, const QStringList &details)
{
    print(stdout, QStringLiteral("  ERROR: ") + what);
    for (const QString &detail : details)
        print(stdout, QStringLiteral("    ") + detail);
    if (!m_errors.contains(m_current))
        m_errors << m_current;
}

void BenchReport::progress(const QString &text) const
{
    print(stderr, QStringLiteral("  ... ") + text);
}

void BenchReport::finish() const
{
    print(stdout, QString());
    print(stdout,
          QStringLiteral("targets: %1 met, %2 MISSED").arg(m_met.size()).arg(m_missed.size()));
    for (const QString &missed : m_missed)
        print(stdout, QStringLiteral("  MISSED: ") + missed);
    if (m_errors.isEmpty())
        print(stdout, QStringLiteral("every run succeeded and every count was exact"));
    else
        print(stdout,
              QStringLiteral("ERRORS (failed runs or wrong counts) in: ")
                  + m_errors.join(QStringLiteral(", ")));
}

QString BenchReport::count(qint64 n)
{
    return QLocale(QLocale::English).toString(n);
}

QString BenchReport::seconds(double s)
{
    return QString::number(s, 'f', 3) + QStringLiteral(" s");
}

QString BenchReport::mib(double m)
{
    return QString::number(m, 'f', 1) + QStringLiteral(" MiB");
}

QString BenchReport::rate(double perSecond)
{
    return count(qint64(perSecond + 0.5));
}
