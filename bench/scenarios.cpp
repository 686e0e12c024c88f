// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/scenarios.h"

const std::vector<Scenario> &Scenarios::all()
{
    static const std::vector<Scenario> scenarios {
        {"bigLog", bigLog},       {"mixedLog", mixedLog},
        {"import", import},       {"smallUpdate", smallUpdate},
        {"print", print},         {"grid", grid},
        {"manyFiles", manyFiles}, {"longLine", longLine},
        {"listen", listen},       {"web", web},
        {"webLoad", webLoad},     {"machines", machines},
    };
    return scenarios;
}

QStringList Scenarios::names()
{
    QStringList names;
    for (const Scenario &scenario : all())
        names << QLatin1String(scenario.name);
    return names;
}

const Scenario *Scenarios::find(const QString &name)
{
    for (const Scenario &scenario : all()) {
        if (name.compare(QLatin1String(scenario.name), Qt::CaseInsensitive) == 0)
            return &scenario;
    }
    return nullptr;
}
