// The profile-string wrappers and the case-sensitive line scanner for INI-shaped files.
#include "IniManager.h"

#include "platform/FileIo.h"
#include "platform/ProfileString.h"
#include "platform/Text1252.h"

#include <optional>
#include <vector>

namespace quire::ini {
namespace {

constexpr std::size_t kValueBuffer = 255;
constexpr std::string_view kCaseLine = "Verify spelling and capitilization is correct.  Case-sensative.";

void fileMessage(Prompter& prompter, const fs::path& file) {
    prompter.message(fileio::pathToText(file) + " not found.", "File Not Found", PromptButtons::Ok,
                     PromptIcon::Critical);
}

void sectionMessage(Prompter& prompter, std::string_view section, std::string_view routine) {
    const std::string text =
        "Section, " + std::string(section) + ", Not Found. ~(" + std::string(routine) + ")\n" + std::string(kCaseLine);
    prompter.message(text, "Section Not Found.", PromptButtons::Ok, PromptIcon::Information);
}

void keyMessage(Prompter& prompter, std::string_view key, std::string_view routine) {
    const std::string text =
        "Key, " + std::string(key) + ", Not Found. ~(" + std::string(routine) + ")\n" + std::string(kCaseLine);
    prompter.message(text, "Key Not Found.", PromptButtons::Ok, PromptIcon::Information);
}

void projectMessage(Prompter& prompter) {
    prompter.message(kProjectMessage, kAppTitle, PromptButtons::Ok, PromptIcon::None);
}

// The file's lines, or nothing (after the file message) when it cannot be read.
std::optional<std::vector<std::string>> linesOrMessage(Prompter& prompter, const fs::path& file) {
    const auto content = fileio::readFile(file);
    if (!content) {
        fileMessage(prompter, file);
        return std::nullopt;
    }
    return text::splitLines(*content);
}

// Index of the first line that is exactly "[section]", or -1.
long headerIndex(const std::vector<std::string>& lines, std::string_view section) {
    std::string header;
    header.reserve(section.size() + 2);
    header.append("[").append(section).append("]");
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == header)
            return static_cast<long>(i);
    return -1;
}

int countKeys(const std::vector<std::string>& lines, long header) {
    int count = 0;
    const auto first = static_cast<std::size_t>(header) + 1;
    for (std::size_t i = first; i < lines.size(); ++i) {
        if (IsSection(lines[i]))
            return count;
        // The section runs to the end of the file: its last line counts whatever it holds.
        if (IsKey(lines[i]) || i + 1 == lines.size())
            ++count;
    }
    return count;
}

int countSections(const std::vector<std::string>& lines) {
    int count = 0;
    for (const auto& line : lines)
        if (IsSection(line))
            ++count;
    return count;
}

} // namespace

std::string GetValue(std::string_view section, std::string_view key, const fs::path& file) {
    return profile::getString(file, section, key, "", kValueBuffer);
}

void SetValue(std::string_view section, std::string_view key, std::string_view value, const fs::path& file) {
    profile::writeString(file, section, key, value);
}

std::string GetProjectValue(Prompter& prompter, const fs::path& file, std::string_view section, std::string_view key) {
    if (!fileio::isRegularFile(file)) {
        projectMessage(prompter);
        return {};
    }
    std::string value = GetValue(section, key, file);
    if (const auto nul = value.find('\0'); nul != std::string::npos)
        value.resize(nul);
    return value;
}

int DeleteSection(Prompter& prompter, const fs::path& file, std::string_view section) {
    if (!fileio::isRegularFile(file)) {
        fileMessage(prompter, file);
        return 0;
    }
    profile::deleteSection(file, section);
    return 1;
}

int DeleteKey(Prompter& prompter, const fs::path& file, std::string_view section, std::string_view key) {
    if (!fileio::isRegularFile(file)) {
        fileMessage(prompter, file);
        return 0;
    }
    if (!SectionExists(prompter, file, section)) {
        sectionMessage(prompter, section, "DeleteKey");
        return 0;
    }
    if (!KeyExists(prompter, file, section, key)) {
        keyMessage(prompter, key, "DeleteKey");
        return 0;
    }
    profile::deleteKey(file, section, key);
    return 1;
}

bool IsSection(std::string_view line) {
    return !line.empty() && line.front() == '[' && line.back() == ']';
}

bool IsKey(std::string_view line) {
    return line.find('=') != std::string_view::npos;
}

bool SectionExists(Prompter& prompter, const fs::path& file, std::string_view section) {
    const auto lines = linesOrMessage(prompter, file);
    return lines && headerIndex(*lines, section) >= 0;
}

bool KeyExists(Prompter& prompter, const fs::path& file, std::string_view section, std::string_view key) {
    const auto lines = linesOrMessage(prompter, file);
    if (!lines)
        return false;
    const long header = headerIndex(*lines, section);
    if (header < 0) {
        sectionMessage(prompter, section, "KeyExists");
        return false;
    }
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < lines->size(); ++i) {
        const std::string& line = (*lines)[i];
        if (IsSection(line))
            return false;
        if (IsKey(line) && line.starts_with(key))
            return true;
    }
    return false;
}

int NumSections(Prompter& prompter, const fs::path& file) {
    const auto lines = linesOrMessage(prompter, file);
    return lines ? countSections(*lines) : 0;
}

int NumKeys(Prompter& prompter, const fs::path& file, std::string_view section) {
    const auto lines = linesOrMessage(prompter, file);
    if (!lines)
        return 0;
    const long header = headerIndex(*lines, section);
    if (header < 0) {
        sectionMessage(prompter, section, "NumKeys");
        return 0;
    }
    return countKeys(*lines, header);
}

std::string GetSectionName(Prompter& prompter, const fs::path& file, int index) {
    const auto content = fileio::readFile(file);
    if (!content || index < 0) {
        projectMessage(prompter);
        return {};
    }
    int count = -1;
    for (const auto& line : text::splitLines(*content)) {
        if (IsSection(line) && ++count == index)
            return line.substr(1, line.size() - 2);
    }
    projectMessage(prompter);
    return {};
}

std::string GetKeyName(Prompter& prompter, const fs::path& file, int sectionIndex, int keyIndex) {
    const auto content = fileio::readFile(file);
    if (!content || sectionIndex < 0 || keyIndex < 0) {
        projectMessage(prompter);
        return {};
    }
    const auto lines = text::splitLines(*content);
    long header = -1;
    int count = -1;
    for (std::size_t i = 0; i < lines.size() && header < 0; ++i)
        if (IsSection(lines[i]) && ++count == sectionIndex)
            header = static_cast<long>(i);
    if (header < 0 || keyIndex >= countKeys(lines, header)) {
        projectMessage(prompter);
        return {};
    }
    count = -1;
    for (std::size_t i = static_cast<std::size_t>(header) + 1; i < lines.size(); ++i) {
        if (IsKey(lines[i]) || i + 1 == lines.size()) {
            if (++count == keyIndex)
                return lines[i].substr(0, lines[i].find('='));
        }
    }
    return {};
}

} // namespace quire::ini
