// Starts outside programs (FFmpeg, ffprobe, fc-match) directly from an argument list, never through
// a shell, with chosen file descriptors for their standard streams.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace quire::avs {

// Starts argv[0] (looked up on PATH) with stdin/stdout taken from the given descriptors (-1: keep
// this process's own). Returns the process id, or -1 when it cannot be started.
pid_t startProgram(const std::vector<std::string>& argv, int stdinFd = -1, int stdoutFd = -1);
// Waits for a started program; its exit code, or 128+signal, or -1 when it could not be waited for.
int waitProgram(pid_t pid);
// Runs a program to its end and returns its standard output; exitCode -1 when it did not start.
struct Captured {
    int exitCode = -1;
    std::string output;
};
Captured runCapture(const std::vector<std::string>& argv);

} // namespace quire::avs
