// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"
#include "stats/store/tolvanesettings.h"

#include <QByteArray>
#include <QString>

class SettingsStore;

/**
 * The code that guards the reset of the statistics, kept in Tolvane's settings.
 *
 * The code is kept as a salted PBKDF2-HMAC-SHA256 digest, never as the typed text. A key that
 * was never written, or holds the empty text, makes the empty code the valid one. A typed code
 * matches only when it is the same text exactly: letter case and blanks count.
 */
class AccessCode
{
public:
    /// A code set from now on costs \a iterations rounds of the key derivation to check; a code
    /// already stored keeps the cost it was stored with.
    explicit AccessCode(SettingsStore &settings, int iterations = Iterations);

    /// True when \a typed is the code in force.
    bool matches(const QString &typed) const;
    /// Puts \a code in force; the empty text clears the code. When it cannot be stored, the old
    /// code stays in force.
    Result<> change(const QString &code);

    /// The text kept in the settings for \a code: empty for the empty code, else a digest.
    QString digest(const QString &code) const;
    /// PBKDF2 with HMAC-SHA256 as RFC 8018 defines it.
    static QByteArray pbkdf2Sha256(const QByteArray &password, const QByteArray &salt,
                                   int iterations, int length);

    static constexpr int Iterations = 100000;

private:
    TolvaneSettings m_settings;
    int m_iterations;
};
