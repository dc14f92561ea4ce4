// The runner of outside programs for the windows: the command line split by the Windows rules and
// the program started directly, without a shell, while the windows stay painted.
#pragma once

#include "platform/Runner.h"

namespace quire {

class QtRunner : public Runner {
public:
    // Starts the program with its arguments, its input empty and its output passed through to
    // Quire's own, and runs a local event loop until it ends: paint events and timers go on, user
    // input waits until the run is over. CouldNotStart when the command line is empty or the program
    // is missing or not executable; an abnormal end is Ran with exit code -1 and a description.
    RunResult run(std::string_view commandLine, WindowStyle style) override;
};

} // namespace quire
