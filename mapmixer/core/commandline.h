// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"

#include <QString>
#include <QStringList>

/**
 * Rondelay's command line. Without any argument that starts with "--" the whole argument text
 * is the mod name and the window opens; "--shuffle" asks for the run without window or speech,
 * "--help" and "--version" for the usage and the version.
 */
class CommandLine
{
public:
    enum class Mode { Window, Shuffle, Help, Version };

    /// \a arguments without the program's name; fails with what is wrong in them.
    static Result<CommandLine> parse(const QStringList &arguments);
    static QString usage();

    Mode mode = Mode::Window;
    QString modName;
    QString folder;
    int times = 1;
};
