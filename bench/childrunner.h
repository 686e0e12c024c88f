// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

/** How one child process ended, and what it cost. */
struct ChildRun
{
    bool started = false;
    int exitCode = -1;
    int signal = 0;
    double seconds = 0;
    double peakMiB = 0;

    bool ok() const { return started && signal == 0 && exitCode == 0; }
    /// "exit status 1", "killed by signal 9", "could not be started".
    QString failure() const;
};

/**
 * Starts the programs a benchmark times, one at a time, and measures each one's wall time and
 * peak memory (the kernel's ru_maxrss, through wait4).
 *
 * Linux counts into a child's ru_maxrss the memory of the process that forked it, even through
 * posix_spawn: a benchmark holding the expected counters of 600,000 players would charge them
 * to every program it starts. So the children are started by a launcher: a copy of this process
 * forked by start() while it is still small, which stays small, forks each child on request and
 * reports its figures back over a socket.
 */
class ChildRunner
{
public:
    ChildRunner() = default;
    ~ChildRunner();
    ChildRunner(const ChildRunner &) = delete;
    ChildRunner &operator=(const ChildRunner &) = delete;

    /// Forks the launcher; call first thing in main(), before anything large is allocated.
    bool start();

    /// The launcher's process id (it ends the running child when it gets SIGTERM), or -1.
    pid_t launcher() const { return m_launcher; }

    /// Variables set for every child, such as a home of its own ("NAME=value").
    void setEnvironment(const QStringList &variables);

    /// Runs \a arguments (the program found through PATH) with its output written to
    /// \a outputPath and its errors to \a errorPath (empty: /dev/null), and waits for it.
    ChildRun run(const QStringList &arguments, const QString &outputPath = {},
                 const QString &errorPath = {}) const;

private:
    static void serve(int socket);

    int m_socket = -1;
    pid_t m_launcher = -1;
    QStringList m_environment;
};
