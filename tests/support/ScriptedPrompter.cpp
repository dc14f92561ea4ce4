// The scripted prompter: expected boxes in order, answers from the script.
#include "ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace quire::test {

ScriptedPrompter::~ScriptedPrompter() {
    for (const auto& step : m_script)
        ADD_FAILURE() << "a scripted prompt was never shown: \"" << step.text << "\"";
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
        ADD_FAILURE() << "unexpected message box: \"" << text << "\" (title \"" << title << "\")";
        return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
    }
    Step step = m_script.front();
    m_script.pop_front();
    if (!step.text.empty()) {
        EXPECT_EQ(step.text, std::string(text)) << "a message box showed another text";
    }
    return step.answer;
}

std::string ScriptedPrompter::openFile(std::string_view title, const std::vector<FileFilter>& filters,
                                       std::string_view /*startFolder*/) {
    m_fileTitles.emplace_back(title);
    m_fileFilters.push_back(filters);
    if (m_script.empty() || m_script.front().kind != Kind::File) {
        ADD_FAILURE() << "unexpected open-file dialog: \"" << title << "\"";
        return {};
    }
    std::string answer = m_script.front().text;
    m_script.pop_front();
    return answer;
}

std::string ScriptedPrompter::browseFolder(std::string_view title, std::string_view /*startFolder*/) {
    m_fileTitles.emplace_back(title);
    if (m_script.empty() || m_script.front().kind != Kind::Folder) {
        ADD_FAILURE() << "unexpected folder dialog: \"" << title << "\"";
        return {};
    }
    std::string answer = m_script.front().text;
    m_script.pop_front();
    return answer;
}

} // namespace quire::test
