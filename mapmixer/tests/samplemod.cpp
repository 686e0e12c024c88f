// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mapmixer/tests/samplemod.h"

#include "mapmixer/core/maplist.h"
#include "platform/testsupport/testfiles.h"

#include <QDir>

SampleMod::SampleMod(const QString &name) : m_path(m_root.filePath(name)) { }

bool SampleMod::write(const QStringList &mapFiles, const QByteArray &mapCycle) const
{
    const QString maps = MapList::mapsFolder(m_path);
    if (!QDir().mkpath(maps))
        return false;
    for (const auto &name : mapFiles) {
        if (!TestFiles::write(maps + QLatin1Char('/') + name))
            return false;
    }
    return mapCycle.isNull() || TestFiles::write(MapList::mapCyclePath(m_path), mapCycle);
}

QByteArray SampleMod::mapCycle() const
{
    return TestFiles::read(MapList::mapCyclePath(m_path));
}
