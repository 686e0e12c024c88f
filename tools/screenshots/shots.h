// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// Each renders its program's windows into \a folder and returns the number of files written.
int renderTolvaneWindows(const QString &folder);
int renderRondelayWindows(const QString &folder);
int renderQuorrelWindows(const QString &folder);
