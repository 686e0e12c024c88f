#pragma once

#include "platform/result/result.h"

#include <QStringList>

class RondelayCommandLine;
class FileStore;
class QTextStream;
class RandomSource;
class SettingsStore;

/**
 * Retrieve, shuffle and save without window or speech, for servers without a desktop. Nothing
 * is written unless there are maps to write.
 */
class HeadlessShuffle
{
public:
    /// The entries of the new map cycle, in order, or why none was written.
    static Result<QStringList> run(const RondelayCommandLine &line, SettingsStore &settings,
                                   FileStore &files, RandomSource &random);
    /// The program's answer: the entries on \a out, one a line, or the reason on \a err; the
    /// exit code.
    static int report(const Result<QStringList> &cycle, QTextStream &out, QTextStream &err);
};
