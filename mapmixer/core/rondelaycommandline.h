#pragma once

#include "platform/cli/commandline.h"

#include <QString>

/**
 * Rondelay's command line. The words that are no option, all together, are the mod name, and
 * the window opens; "--shuffle" asks for the run without window or speech.
 */
class RondelayCommandLine
{
public:
    enum class Mode { Window, Shuffle };

    /// How Rondelay reads, answers and refuses a command line.
    static const CommandLine &syntax();
    /// \a arguments without the program's name; fails with what is wrong in them.
    static Result<RondelayCommandLine> parse(const QStringList &arguments);

    CommandLine::Ask ask = CommandLine::Ask::Run;
    Mode mode = Mode::Window;
    QString modName;
    QString folder;
    int times = 1;
};
