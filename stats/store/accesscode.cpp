// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/store/accesscode.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

#include <array>

namespace {

const QString scheme = QStringLiteral("pbkdf2-sha256");

constexpr int saltLength = 16;
constexpr int digestLength = 32;

QByteArray randomSalt()
{
    std::array<quint32, saltLength / 4> words {};
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char *>(words.data()), saltLength);
}

QString encode(int iterations, const QByteArray &salt, const QByteArray &derived)
{
    return scheme + QLatin1Char('$') + QString::number(iterations) + QLatin1Char('$')
        + QString::fromLatin1(salt.toBase64()) + QLatin1Char('$')
        + QString::fromLatin1(derived.toBase64());
}

// Digests compared in a time that does not depend on where they first differ.
bool sameBytes(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

AccessCode::AccessCode(SettingsStore &settings, int iterations)
    : m_settings(settings), m_iterations(iterations)
{ }

Result<> AccessCode::change(const QString &code)
{
    return m_settings.setValue(TolvaneSettings::Key::Code, digest(code));
}

QString AccessCode::digest(const QString &code) const
{
    if (code.isEmpty())
        return {};
    const QByteArray salt = randomSalt();
    return encode(m_iterations, salt,
                  pbkdf2Sha256(code.toUtf8(), salt, m_iterations, digestLength));
}

bool AccessCode::matches(const QString &typed) const
{
    const QString stored = m_settings.value(TolvaneSettings::Key::Code);
    if (stored.isEmpty())
        return typed.isEmpty();
    const QStringList parts = stored.split(QLatin1Char('$'));
    bool numeric = false;
    const int iterations = parts.size() == 4 ? parts[1].toInt(&numeric) : 0;
    if (parts.size() != 4 || parts[0] != scheme || !numeric || iterations < 1) {
        // A value this program did not write: a code typed by hand into the settings, or kept
        // as text by an older install. Refusing it would lock the reset for good.
        return stored == typed;
    }
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray expected = QByteArray::fromBase64(parts[3].toLatin1());
    if (typed.isEmpty() || expected.isEmpty())
        return false;
    return sameBytes(expected,
                     pbkdf2Sha256(typed.toUtf8(), salt, iterations, int(expected.size())));
}

QByteArray AccessCode::pbkdf2Sha256(const QByteArray &password, const QByteArray &salt,
                                    int iterations, int length)
{
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password, salt,
                                              iterations, quint64(length));
}
