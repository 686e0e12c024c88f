// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class DataStats;
class OverlaySettings;
class Dialogs;
class SettingsStore;

/** What happens between the start of the windowed program and its first results window. */
namespace WindowedStart {

/// Lays a log folder, a database and a host given on the command line over the stored ones: they
/// hold for this run only, and the stored ones stay as they are. Empty ones are left out.
void overlayPaths(OverlaySettings &settings, const QString &logFolder, const QString &database,
                  const QString &host = {});

/// Asks for the log folder when none is known yet and keeps the answer, then opens the store.
/// False, after telling the user which database could not be opened and why, when the store
/// fails.
bool prepare(SettingsStore &settings, Dialogs &dialogs, DataStats &store);

/// Deletes the Tolvane windows still open: they read through the store, which must outlive them.
void closeWindows();

} // namespace WindowedStart
