#pragma once

#include <QString>
#include <QStringList>

/**
 * Quorrel's command line: the whole argument text is the mod name, blanks included, except that
 * "--help" and "--version" ask for the usage and the version and open no window.
 */
class QuorrelCommandLine
{
public:
    enum class Mode { Window, Help, Version };

    /// \a arguments without the program's own name.
    static QuorrelCommandLine parse(const QStringList &arguments);
    static QString usage();

    Mode mode = Mode::Window;
    QString modName;
};
