// The scripted prompter: expected boxes in order, answers from the script.
#include "ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace quire::test {

ScriptedPrompter::ScriptedPrompter(Reporter reporter) : m_reporter(std::move(reporter)) {
    if (!m_reporter)
        m_reporter = [](const std::string& what) { ADD_FAILURE() << what; };
}

ScriptedPrompter::~ScriptedPrompter() {
    for (const auto& step : m_script)
        fail("a scripted prompt was never shown: \"" + step.text + "\"");
}

void ScriptedPrompter::fail(const std::string& what) {
    m_failures.push_back(what);
    m_reporter(what);
}

ScriptedPrompter& ScriptedPrompter::expect(std::string text, PromptAnswer answer) {
    m_script.push_back({Kind::Box, std::move(text), answer});
    return *this;
}

ScriptedPrompter& ScriptedPrompter::expectFile(std::string answer) {
    m_script.push_back({Kind::File, std::move(answer), PromptAnswer::Ok});
    return *this;
}

ScriptedPrompter& ScriptedPrompter::expectFolder(std::string answer) {
    m_script.push_back({Kind::Folder, std::move(answer), PromptAnswer::Ok});
    return *this;
}

PromptAnswer ScriptedPrompter::message(std::string_view text, std::string_view title, PromptButtons buttons,
                                       PromptIcon icon) {
    m_shown.push_back({std::string(text), std::string(title), buttons, icon});
    if (m_script.empty() || m_script.front().kind != Kind::Box) {
        fail("unexpected message box: \"" + std::string(text) + "\" (title \"" + std::string(title) + "\")");
        return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
    }
    Step step = m_script.front();
    m_script.pop_front();
    if (!step.text.empty() && step.text != text)
        fail("a message box showed \"" + std::string(text) + "\" where \"" + step.text + "\" was expected");
    return step.answer;
}

std::string ScriptedPrompter::openFile(std::string_view title, const std::vector<FileFilter>& filters,
                                       std::string_view /*startFolder*/) {
    m_fileTitles.emplace_back(title);
    m_fileFilters.push_back(filters);
    if (m_script.empty() || m_script.front().kind != Kind::File) {
        fail("unexpected open-file dialog: \"" + std::string(title) + "\"");
        return {};
    }
    std::string answer = m_script.front().text;
    m_script.pop_front();
    return answer;
}

std::string ScriptedPrompter::browseFolder(std::string_view title, std::string_view /*startFolder*/) {
    m_fileTitles.emplace_back(title);
    if (m_script.empty() || m_script.front().kind != Kind::Folder) {
        fail("unexpected folder dialog: \"" + std::string(title) + "\"");
        return {};
    }
    std::string answer = m_script.front().text;
    m_script.pop_front();
    return answer;
}

} // namespace quire::test
