// The one interface through which the core shows message boxes and asks for files and folders.
// Texts are Windows-1252 bytes; the window layer converts them where they meet a widget.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quire {

enum class PromptIcon { None, Critical, Question, Exclamation, Information };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

// The program's own title, used where a box shows the application title.
inline constexpr std::string_view kAppTitle = "Quire";

struct FileFilter {
    std::string description; // e.g. "Text Files (*.txt)"
    std::string patterns;    // e.g. "*.txt;*.mtx"
};

class Prompter {
public:
    virtual ~Prompter() = default;

    // Shows a message box and waits for the answer. A box closed without a button answers
    // Cancel (or No when there is no Cancel button), as Windows does.
    virtual PromptAnswer message(std::string_view text, std::string_view title, PromptButtons buttons,
                                 PromptIcon icon) = 0;

    // Asks for an existing file; its native path, or empty text when the user cancels.
    virtual std::string openFile(std::string_view title, const std::vector<FileFilter>& filters,
                                 std::string_view startFolder) = 0;

    // Asks for a folder; its native path: the root is "/", any other folder has no trailing separator,
    // and a cancel gives empty text.
    virtual std::string browseFolder(std::string_view title, std::string_view startFolder) = 0;

    // Asks for a file to write, offering the start path (a folder, or a file in one); its native path,
    // or empty text when the user cancels. A prompter that cannot ask answers as cancelled.
    virtual std::string saveFile(std::string_view /*title*/, const std::vector<FileFilter>& /*filters*/,
                                 std::string_view /*startPath*/) {
        return {};
    }

    // Shorthand for a box with only an OK button.
    void inform(std::string_view text, std::string_view title, PromptIcon icon = PromptIcon::None) {
        message(text, title, PromptButtons::Ok, icon);
    }
};

} // namespace quire
