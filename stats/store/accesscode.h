#pragma once

#include <QByteArray>
#include <QString>

class SettingsStore;

/**
 * The code that guards the reset of the statistics: settings application "Tolvane", section
 * "Authentification", key "Code".
 *
 * The code is kept as a salted PBKDF2-HMAC-SHA256 digest, never as the typed text. A key that
 * was never written, or holds the empty text, makes the empty code the valid one. A typed code
 * matches only when it is the same text exactly: letter case and blanks count.
 */
class AccessCode
{
public:
    explicit AccessCode(SettingsStore &settings);

    /// True when \a typed is the code in force.
    bool matches(const QString &typed) const;
    /// Puts \a code in force; the empty text clears the code. False when it could not be stored.
    bool change(const QString &code);

    /// The text kept in the settings for \a code: empty for the empty code, else a digest.
    static QString digest(const QString &code);
    /// True when \a typed is the code that \a stored was made from.
    static bool matchesStored(const QString &stored, const QString &typed);
    /// PBKDF2 with HMAC-SHA256 as RFC 8018 defines it.
    static QByteArray pbkdf2Sha256(const QByteArray &password, const QByteArray &salt,
                                   int iterations, int length);

    static constexpr int Iterations = 100000;

private:
    SettingsStore &m_settings;
};
