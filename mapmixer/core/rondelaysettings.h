// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"

#include <QString>

class SettingsStore;

/**
 * What Rondelay keeps in the per-user settings: under the application "Rondelay", one section
 * per mod (the whole command-line text), holding the mod's folder under the key "Dossier". A mod
 * never started has no folder yet: it reads as the empty text.
 */
class RondelaySettings
{
public:
    RondelaySettings(SettingsStore &store, QString modName);

    /// The folder as it was typed ("\" and a trailing separator included); empty when none.
    QString modFolder() const;
    /// Keeps \a folder for the next runs; on failure the stored value stays as it was.
    Result<> setModFolder(const QString &folder);

private:
    SettingsStore &m_store;
    QString m_modName;
};
