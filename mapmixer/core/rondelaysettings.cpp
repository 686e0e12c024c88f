// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mapmixer/core/rondelaysettings.h"

RondelaySettings::RondelaySettings(SettingsStore &store, QString modName)
    : ProgramSettings(store, application()), m_modName(std::move(modName))
{ }

RondelaySettings::Entry RondelaySettings::entry(Key) const
{
    // Dossier is the only key.
    return {m_modName, QStringLiteral("Dossier")};
}
