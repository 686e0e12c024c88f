// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

/**
 * The benchmark's printed report: one block per scenario, its figures, each target "met" or
 * "MISSED", and any failed run or wrong count (which makes the benchmark exit 1). Progress
 * notes go to stderr, so that the report alone can be kept with "> file".
 */
class BenchReport
{
public:
    void heading(const QString &text);
    void scenario(const QString &name, const QString &what);
    void figure(const QString &label, const QString &value);
    void target(const QString &what, bool met);
    /// A run that failed or a count that is wrong, with its details.
    void error(const QString &what, const QStringList &details = {});
    void progress(const QString &text) const;
    /// The totals: targets met and missed, scenarios with errors.
    void finish() const;

    bool failed() const { return !m_errors.isEmpty(); }

    static QString count(qint64 n);
    static QString seconds(double s);
    static QString mib(double m);
    static QString rate(double perSecond);

private:
    QString m_current;
    QStringList m_met;
    QStringList m_missed;
    QStringList m_errors;
};
