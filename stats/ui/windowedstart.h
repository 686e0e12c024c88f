#pragma once

class DataStats;
class Prompts;
class SettingsStore;

/// Starts Tolvane's windows (the results window first) and runs the event loop.
int startWindowed(int argc, char **argv);

/// Asks for the log folder when none is known yet and keeps the answer, then opens the store.
/// False, after telling the user which file could not be opened and why, when the store fails.
bool prepareWindowedStart(SettingsStore &settings, Prompts &prompts, DataStats &store);
