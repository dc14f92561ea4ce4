// The one interface through which the core runs outside programs (QuantDump, the encoders, the media
// player): a command line in, and either "ran and waited" with the exit code or "could not start" out.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace quire {

// How the program's window is shown; a hint that has no effect where the desktop has none.
enum class WindowStyle { Normal, Minimised };

struct RunResult {
    enum class Outcome {
        Ran,           // the program ran and has ended; exitCode holds its status
        CouldNotStart, // it never ran (missing, not executable, empty command line); description says why
        NotRun,        // nothing was started because the caller's mode asked for no run
    };
    Outcome outcome = Outcome::NotRun;
    int exitCode = 0;
    std::string description; // UTF-8; why the program could not start, or how it ended abnormally

    static RunResult ran(int code, std::string why = {}) { return {Outcome::Ran, code, std::move(why)}; }
    static RunResult couldNotStart(std::string why) { return {Outcome::CouldNotStart, -1, std::move(why)}; }
    static RunResult notRun() { return {}; }
    bool started() const { return outcome == Outcome::Ran; }
};

class Runner {
public:
    virtual ~Runner() = default;

    // Splits the command line (native text: UTF-8 paths) by the Windows rules of splitCommandLine,
    // starts the program it names directly, without a shell, and returns when it has ended. The
    // caller's window stays painted during the wait; its own controls are the caller's to lock.
    virtual RunResult run(std::string_view commandLine, WindowStyle style) = 0;
};

} // namespace quire
