#pragma once

class CommandLine;
class FileStore;
class QTextStream;
class RandomSource;
class SettingsStore;

/**
 * Retrieve, shuffle and save without window or speech, for servers without a desktop. Prints
 * the new cycle on \a out; failures go to \a err with a non-zero exit code.
 */
class HeadlessShuffle
{
public:
    static int run(const CommandLine &line, const SettingsStore &settings, FileStore &files,
                   RandomSource &random, QTextStream &out, QTextStream &err);
};
