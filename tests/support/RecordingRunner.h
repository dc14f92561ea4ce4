// A runner for tests: it keeps every command line it was given with its window style and answers
// from a script, in order; each answer may act first (write the output file a program would).
#pragma once

#include "platform/CommandLine.h"
#include "platform/Runner.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace quire::test {

class RecordingRunner : public Runner {
public:
    // Gets the command line split into its arguments, does what the program would, and answers.
    using Action = std::function<RunResult(const std::vector<std::string>& arguments)>;

    // The next run answers this.
    RecordingRunner& answer(RunResult result) {
        return answer([result](const std::vector<std::string>&) { return result; });
    }
    // The next run does this and answers what it returns.
    RecordingRunner& answer(Action action) {
        m_script.push_back(std::move(action));
        return *this;
    }

    // A run beyond the script is recorded and answers "could not start" with a description that
    // names it, so that a test which did not expect it sees the error.
    RunResult run(std::string_view commandLine, WindowStyle style) override {
        m_commandLines.emplace_back(commandLine);
        m_styles.push_back(style);
        if (m_script.empty())
            return RunResult::couldNotStart("RecordingRunner: unexpected run of " + std::string(commandLine));
        Action next = std::move(m_script.front());
        m_script.pop_front();
        return next(splitCommandLine(commandLine));
    }

    const std::vector<std::string>& commandLines() const { return m_commandLines; }
    const std::vector<WindowStyle>& styles() const { return m_styles; }

private:
    std::deque<Action> m_script;
    std::vector<std::string> m_commandLines;
    std::vector<WindowStyle> m_styles;
};

} // namespace quire::test
