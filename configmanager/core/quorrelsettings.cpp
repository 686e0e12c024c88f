// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "configmanager/core/quorrelsettings.h"

QuorrelSettings::QuorrelSettings(SettingsStore &store, QString modName)
    : ProgramSettings(store, application()), m_modName(std::move(modName))
{ }

QuorrelSettings::Entry QuorrelSettings::entry(Key key) const
{
    // In the order of Key.
    static const QString names[] = {QStringLiteral("AlreadyUse"), QStringLiteral("RepertoryFile"),
                                    QStringLiteral("ExecFile")};
    return {m_modName, names[int(key)]};
}
