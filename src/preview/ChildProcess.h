// Outside programs run off the window's thread: started without a shell in a process group that can be
// killed whole, their standard descriptors given as pipe ends, waited for so that none is left a zombie.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace quire::preview {

// Starts argv[0] (looked up on PATH) with the given standard descriptors (-1: the null device) in process
// group `group` (0: a new group led by the child). Returns the pid, or -1 with errno set when it could
// not be started. The descriptors may carry O_CLOEXEC: the copies made for the child lose it.
pid_t spawnInGroup(const std::vector<std::string>& argv, int inFd, int outFd, int errFd, pid_t group);

// Waits for the child; its exit code, or -1 when it was killed or cannot be waited for.
int reap(pid_t pid);

// Closes the descriptor unless it is already -1, and sets it to -1.
void closeFd(int& fd);

} // namespace quire::preview
