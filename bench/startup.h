// Process start to first paint, measured across the two processes: the
// benchmark starts a probe program with the time of the start in
// QUILLON_BENCH_START (steady clock, ns), and the probe prints the
// milliseconds since then at its first paint (firstpaint.h).
#pragma once

#include <chrono>
#include <cstdlib>
#include <string>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

// Starts program, waits for it, and answers what it printed: the
// milliseconds to its first paint, or -1 when it could not be started.
inline double timeToFirstPaint(const std::string &program)
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    setenv("QUILLON_BENCH_START",
        std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()).c_str(),
        1);
    int out[2];
    if (pipe(out) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char *argv[] = {const_cast<char *>(program.c_str()), nullptr};
    pid_t pid;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (failed != 0) {
        close(out[0]);
        return -1;
    }
    char buffer[64] = {};
    [[maybe_unused]] ssize_t n = read(out[0], buffer, sizeof buffer - 1);
    close(out[0]);
    int status;
    waitpid(pid, &status, 0);
    return std::atof(buffer);
}
