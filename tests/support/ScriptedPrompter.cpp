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

std::string describe(const ShownBox& box) {
    static const char* const buttons[] = {"ok", "okcancel", "yesno", "yesnocancel"};
    static const char* const icons[] = {"plain", "critical", "question", "exclamation", "information"};
    return box.title + "|" + buttons[int(box.buttons)] + "|" + icons[int(box.icon)] + "|" + box.text;
}

std::string ScriptedPrompter::fileDialogFilterText() const {
    std::string text;
    for (const auto& dialog : m_fileFilters) {
        text += text.empty() ? "" : " | ";
        for (const FileFilter& filter : dialog)
            text += (&filter == dialog.data() ? "" : ", ") + filter.description + " " + filter.patterns;
    }
    return text;
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

std::optional<ScriptedPrompter::Step> ScriptedPrompter::next(Kind kind, const std::string& unexpected) {
    if (m_script.empty() || m_script.front().kind != kind) {
        fail(unexpected);
        return std::nullopt;
    }
    Step step = m_script.front();
    m_script.pop_front();
    return step;
}

PromptAnswer ScriptedPrompter::message(std::string_view text, std::string_view title, PromptButtons buttons,
                                       PromptIcon icon) {
    m_shown.push_back({std::string(text), std::string(title), buttons, icon});
    const auto step =
        next(Kind::Box, "unexpected message box: \"" + std::string(text) + "\" (title \"" + std::string(title) + "\")");
    if (!step)
        return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
    if (!step->text.empty() && step->text != text)
        fail("a message box showed \"" + std::string(text) + "\" where \"" + step->text + "\" was expected");
    return step->answer;
}

std::string ScriptedPrompter::openFile(std::string_view title, const std::vector<FileFilter>& filters,
                                       std::string_view /*startFolder*/) {
    m_fileTitles.emplace_back(title);
    m_fileFilters.push_back(filters);
    const auto step = next(Kind::File, "unexpected open-file dialog: \"" + std::string(title) + "\"");
    return step ? step->text : std::string();
}

std::string ScriptedPrompter::saveFile(std::string_view title, const std::vector<FileFilter>& filters,
                                       std::string_view /*startPath*/) {
    m_fileTitles.emplace_back(title);
    m_fileFilters.push_back(filters);
    const auto step = next(Kind::File, "unexpected save-file dialog: \"" + std::string(title) + "\"");
    return step ? step->text : std::string();
}

std::string ScriptedPrompter::browseFolder(std::string_view title, std::string_view /*startFolder*/) {
    m_fileTitles.emplace_back(title);
    const auto step = next(Kind::Folder, "unexpected folder dialog: \"" + std::string(title) + "\"");
    return step ? step->text : std::string();
}

} // namespace quire::test
