#pragma once

class DataStats;
class Prompts;
class SettingsStore;

/** What every Tolvane window works with; it outlives all of them. */
struct TolvaneContext
{
    DataStats &store;
    SettingsStore &settings;
    Prompts &prompts;
};
