// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

/**
 * A real full disk for tests: a small tmpfs mounted over a folder and, once the test has put its
 * files there, filled to the last byte. Mounting needs root (tests run as root in CI); when it
 * is refused, isMounted() is false and whyNot() says why, for the test to skip with.
 */
class FullDisk
{
public:
    explicit FullDisk(const QString &folder, int kibibytes = 64);
    ~FullDisk();
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

    bool isMounted() const { return m_mounted; }
    const QString &whyNot() const { return m_whyNot; }
    /// Takes every free byte with a hidden ballast file; false when the disk is not full after.
    bool fill();

private:
    QString m_folder;
    bool m_mounted = false;
    QString m_whyNot;
};
