// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "bench/childrunner.h"

#include <QDataStream>
#include <QFile>
#include <QList>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// In the launcher: the child it waits for, which must not outlive an interrupted benchmark.
volatile pid_t runningChild = 0;

void endChildAndExit(int signal)
{
    if (runningChild > 0)
        kill(runningChild, SIGKILL);
    _exit(128 + signal);
}

struct Reply
{
    qint32 started;
    qint32 status;
    double seconds;
    qint64 maxRssKiB;
};

bool writeAll(int fd, const void *data, std::size_t size)
{
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

bool readAll(int fd, void *data, std::size_t size)
{
    char *p = static_cast<char *>(data);
    while (size > 0) {
        const ssize_t n = ::read(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

double now()
{
    timespec t {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

int openOutput(const QByteArray &path)
{
    return ::open(path.isEmpty() ? "/dev/null" : path.constData(),
                  O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

/// In the forked child: redirects the output, sets the variables and becomes the program.
[[noreturn]] void become(QList<QByteArray> arguments, const QList<QByteArray> &environment,
                         const QByteArray &output, const QByteArray &errors)
{
    const int out = openOutput(output);
    const int err = openOutput(errors);
    if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0)
        _exit(127);
    const int in = ::open("/dev/null", O_RDONLY);
    if (in >= 0)
        dup2(in, STDIN_FILENO);
    for (const QByteArray &variable : environment) {
        const qsizetype equals = variable.indexOf('=');
        if (equals > 0)
            setenv(variable.left(equals).constData(), variable.mid(equals + 1).constData(), 1);
    }
    std::vector<char *> argv;
    for (QByteArray &a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    const QByteArray why =
        "cannot start " + arguments.value(0) + ": " + std::strerror(errno) + "\n";
    writeAll(STDERR_FILENO, why.constData(), std::size_t(why.size()));
    _exit(127);
}

} // namespace

QString ChildRun::failure() const
{
    if (!started)
        return QStringLiteral("could not be started");
    if (signal != 0)
        return QStringLiteral("killed by signal %1").arg(signal);
    return QStringLiteral("exit status %1").arg(exitCode);
}

ChildRunner::~ChildRunner()
{
    if (m_socket >= 0)
        ::close(m_socket); // the launcher reads the end of the stream and leaves
    if (m_launcher > 0)
        waitpid(m_launcher, nullptr, 0);
}

bool ChildRunner::start()
{
    int sockets[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0)
        return false;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        ::close(sockets[0]);
        serve(sockets[1]);
        _exit(0);
    }
    ::close(sockets[1]);
    m_socket = sockets[0];
    m_launcher = pid;
    return true;
}

void ChildRunner::setEnvironment(const QStringList &variables)
{
    m_environment = variables;
}

void ChildRunner::serve(int socket)
{
    struct sigaction action
    {
    };
    action.sa_handler = endChildAndExit;
    sigfillset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        sigaction(signal, &action, nullptr);
    while (true) {
        quint32 length = 0;
        if (!readAll(socket, &length, sizeof length))
            return;
        QByteArray request(length, Qt::Uninitialized);
        if (!readAll(socket, request.data(), length))
            return;
        QDataStream in(request);
        QList<QByteArray> arguments;
        QList<QByteArray> environment;
        QByteArray output;
        QByteArray errors;
        in >> arguments >> environment >> output >> errors;

        Reply reply {0, 0, 0, 0};
        const double begin = now();
        // Signals wait until the child is known, so that a stop never misses it.
        sigset_t stops;
        sigset_t before;
        sigemptyset(&stops);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
            sigaddset(&stops, signal);
        sigprocmask(SIG_BLOCK, &stops, &before);
        const pid_t child = arguments.isEmpty() ? -1 : fork();
        if (child == 0) {
            sigprocmask(SIG_SETMASK, &before, nullptr);
            become(arguments, environment, output, errors);
        }
        runningChild = child;
        sigprocmask(SIG_SETMASK, &before, nullptr);
        if (child > 0) {
            int status = 0;
            rusage usage {};
            pid_t waited;
            do {
                waited = wait4(child, &status, 0, &usage);
            } while (waited < 0 && errno == EINTR);
            reply.seconds = now() - begin;
            runningChild = 0;
            reply.started = waited == child ? 1 : 0;
            reply.status = status;
            reply.maxRssKiB = usage.ru_maxrss;
        }
        if (!writeAll(socket, &reply, sizeof reply))
            return;
    }
}

ChildRun ChildRunner::run(const QStringList &arguments, const QString &outputPath,
                          const QString &errorPath) const
{
    QList<QByteArray> argv;
    for (const QString &a : arguments)
        argv << QFile::encodeName(a);
    QList<QByteArray> environment;
    for (const QString &v : m_environment)
        environment << QFile::encodeName(v);
    QByteArray request;
    {
        QDataStream out(&request, QIODevice::WriteOnly);
        out << argv << environment << QFile::encodeName(outputPath) << QFile::encodeName(errorPath);
    }
    ChildRun run;
    const quint32 length = quint32(request.size());
    Reply reply {};
    if (m_socket < 0 || !writeAll(m_socket, &length, sizeof length)
        || !writeAll(m_socket, request.constData(), length)
        || !readAll(m_socket, &reply, sizeof reply))
        return run;
    run.started = reply.started != 0;
    run.seconds = reply.seconds;
    run.peakMiB = double(reply.maxRssKiB) / 1024.0;
    if (WIFEXITED(reply.status)) {
        run.exitCode = WEXITSTATUS(reply.status);
        run.started = run.started && run.exitCode != 127;
    } else if (WIFSIGNALED(reply.status)) {
        run.signal = WTERMSIG(reply.status);
    }
    return run;
}
