// Runs an outside program for a test: its exit status and what it wrote on its two outputs.
#pragma once

#include "support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace quire::test {

struct ProgramRun {
    int status = -1; // the exit status; -1 when the program did not exit normally
    std::string out, err;
};

// Quotes a word for the shell (it must hold no single quote).
inline std::string shellQuoted(const std::filesystem::path& word) {
    return "'" + word.string() + "'";
}

// Runs a shell command line with standard input from /dev/null; its outputs pass through two files
// in `scratch`.
inline ProgramRun runCommand(const std::string& command, const std::filesystem::path& scratch) {
    const std::filesystem::path out = scratch / "run-out.txt", err = scratch / "run-err.txt";
    const int status = std::system((command + " </dev/null >" + shellQuoted(out) + " 2>" + shellQuoted(err)).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readBytes(out), readBytes(err)};
}

// Runs a program with the arguments, each quoted; `prefix` goes before it (environment settings).
inline ProgramRun runProgram(const std::vector<std::string>& args, const std::filesystem::path& scratch,
                             const std::string& prefix = "") {
    std::string command = prefix;
    for (const std::string& arg : args)
        command += " " + shellQuoted(arg);
    return runCommand(command, scratch);
}

} // namespace quire::test
