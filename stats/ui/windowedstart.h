#pragma once

class DataStats;
class Prompts;
class SettingsStore;

#include <QString>

/// Starts Tolvane's windows (the results window first) and runs the event loop. A log folder
/// or database given here holds for this run only; the stored ones stay as they are.
int startWindowed(int argc, char **argv, const QString &logFolder = {},
                  const QString &database = {});

/// Asks for the log folder when none is known yet and keeps the answer, then opens the store.
/// False, after telling the user which file could not be opened and why, when the store fails.
bool prepareWindowedStart(SettingsStore &settings, Prompts &prompts, DataStats &store);
