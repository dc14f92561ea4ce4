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
        m_reporter("a scripted prompt was never shown: \"" + step.text + "\"");
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

std::string ScriptedPrompter::dialog(Kind kind, const char* what, std::string_view title,
                                     const std::vector<FileFilter>* filters) {
    m_fileTitles.emplace_back(title);
    if (filters)
        m_fileFilters.push_back(*filters);
    if (m_script.empty() || m_script.front().kind != kind) {
        m_reporter("unexpected " + std::string(what) + " dialog: \"" + std::string(title) + "\"");
        return {};
    }
    Step step = m_script.front();
    m_script.pop_front();
    return step.text;
}

PromptAnswer ScriptedPrompter::message(std::string_view text, std::string_view title, PromptButtons buttons,
                                       PromptIcon icon) {
    m_shown.push_back({std::string(text), std::string(title), buttons, icon});
    if (m_script.empty() || m_script.front().kind != Kind::Box) {
        m_reporter("unexpected message box: \"" + std::string(text) + "\" (title \"" + std::string(title) + "\")");
        return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
    }
    const Step step = m_script.front();
    m_script.pop_front();
    if (!step.text.empty() && step.text != text)
        m_reporter("a message box showed \"" + std::string(text) + "\" where \"" + step.text + "\" was expected");
    return step.answer;
}

std::string ScriptedPrompter::openFile(std::string_view title, const std::vector<FileFilter>& filters,
                                       std::string_view /*startFolder*/) {
    return dialog(Kind::File, "open-file", title, &filters);
}

std::string ScriptedPrompter::saveFile(std::string_view title, const std::vector<FileFilter>& filters,
                                       std::string_view /*startPath*/) {
    return dialog(Kind::File, "save-file", title, &filters);
}

std::string ScriptedPrompter::browseFolder(std::string_view title, std::string_view /*startFolder*/) {
    return dialog(Kind::Folder, "folder", title, nullptr);
}

} // namespace quire::test
