#pragma once

// Timing whole processes for the benchmarks that set a program of ours beside another one:
// wall and CPU time and peak resident memory, as the system accounts them.

#include <QByteArray>
#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <vector>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {

inline double peakMegabytes(const rusage& usage)
{
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

struct Run {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double peakMegabytes = 0;
    QByteArray output;
};

// Runs `arguments` as a process of its own; its wall time, peak memory and what it printed.
inline std::optional<Run> runProcess(const QStringList& arguments)
{
    std::vector<QByteArray> storage;
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& argument : storage)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);

    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        close(pipeEnds[0]);
        return std::nullopt;
    }
    Run run;
    char buffer[4096];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        run.output.append(buffer, n);
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    run.wallSeconds = clock.nsecsElapsed() / 1e9;
    run.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
                     + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.peakMegabytes = peakMegabytes(usage);
    return run;
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

} // namespace bench
