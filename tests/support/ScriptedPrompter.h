// A strict prompter for tests: it expects each box in order, answers from its script,
// records what was shown, and fails the test on a box it did not expect or an answer left unused.
#pragma once

#include "platform/Prompter.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace quire::test {

struct ShownBox {
    std::string text;
    std::string title;
    PromptButtons buttons;
    PromptIcon icon;
};

// A shown box as "title|buttons|icon|text": ok, okcancel, yesno, yesnocancel; plain, critical,
// question, exclamation, information.
std::string describe(const ShownBox& box);

class ScriptedPrompter : public Prompter {
public:
    // Reports a failure to the test framework; the default reports to GoogleTest.
    using Reporter = std::function<void(const std::string&)>;
    explicit ScriptedPrompter(Reporter reporter = {});
    ScriptedPrompter(const ScriptedPrompter&) = delete;
    ScriptedPrompter& operator=(const ScriptedPrompter&) = delete;
    // Fails the current test when scripted answers were never used.
    ~ScriptedPrompter() override;

    // The next box must show this text (exact bytes; empty text accepts any) and gets this answer.
    ScriptedPrompter& expect(std::string text, PromptAnswer answer = PromptAnswer::Ok);
    // The next open-file, save-file or folder request gets this answer (empty text: the user cancelled).
    ScriptedPrompter& expectFile(std::string answer);
    ScriptedPrompter& expectFolder(std::string answer);

    PromptAnswer message(std::string_view text, std::string_view title, PromptButtons buttons,
                         PromptIcon icon) override;
    std::string openFile(std::string_view title, const std::vector<FileFilter>& filters,
                         std::string_view startFolder) override;
    std::string browseFolder(std::string_view title, std::string_view startFolder) override;
    std::string saveFile(std::string_view title, const std::vector<FileFilter>& filters,
                         std::string_view startPath) override;

    const std::vector<ShownBox>& shown() const { return m_shown; }
    std::vector<std::string> fileDialogTitles() const { return m_fileTitles; }
    // The file dialogs' filters as "description patterns", joined by ", ", the dialogs by " | ".
    std::string fileDialogFilterText() const;
    bool done() const { return m_script.empty(); }

private:
    enum class Kind { Box, File, Folder };
    struct Step {
        Kind kind;
        std::string text;
        PromptAnswer answer;
    };
    // Records a file or folder dialog and answers it from the next step, which must be of this kind.
    std::string dialog(Kind kind, const char* what, std::string_view title, const std::vector<FileFilter>* filters);
    Reporter m_reporter;
    std::deque<Step> m_script;
    std::vector<ShownBox> m_shown;
    std::vector<std::string> m_fileTitles;
    std::vector<std::vector<FileFilter>> m_fileFilters;
};

} // namespace quire::test
