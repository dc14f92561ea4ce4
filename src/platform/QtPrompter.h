// The prompt interface shown with Qt's message boxes and file dialogs.
#pragma once

#include "platform/Prompter.h"

class QWidget;

namespace quire {

class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    PromptAnswer message(std::string_view text, std::string_view title, PromptButtons buttons,
                         PromptIcon icon) override;
    std::string openFile(std::string_view title, const std::vector<FileFilter>& filters,
                         std::string_view startFolder) override;
    std::string browseFolder(std::string_view title, std::string_view startFolder) override;
    std::string saveFile(std::string_view title, const std::vector<FileFilter>& filters,
                         std::string_view startPath) override;

private:
    QWidget* m_parent;
};

} // namespace quire
