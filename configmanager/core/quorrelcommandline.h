// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/result/result.h"

#include <QString>
#include <QStringList>

/**
 * Quorrel's command line: the whole argument text is the mod name, blanks included, except that
 * "--help" and "--version" ask for the usage and the version and open no window. A first word
 * that starts with "--" is taken for a mistyped option and refused rather than registered as a
 * mod; "--" in front of the name lets a mod's name start with dashes all the same.
 */
class QuorrelCommandLine
{
public:
    enum class Mode { Window, Help, Version };

    /// \a arguments without the program's own name; fails with what is wrong in them.
    static Result<QuorrelCommandLine> parse(const QStringList &arguments);
    static QString usage();

    Mode mode = Mode::Window;
    QString modName;
};
