// The description index: Matrix_Info.ini and Matrix_Info_Custom.ini.
#include "DescriptionIndex.h"

#include "app/IniManager.h"
#include "platform/FileIo.h"
#include "platform/Text1252.h"

namespace quire::descriptions {

std::string sectionName(std::string_view matrixFileName) {
    return text::toLower(matrixFileName);
}

std::string oneLine(std::string_view typed) {
    std::string out;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const char c = typed[i];
        if (c == '\r' || c == '\n') {
            out += ' ';
            if (c == '\r' && i + 1 < typed.size() && typed[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

std::string storedInfo1(std::string_view typed) {
    std::string value = oneLine(typed);
    return value.empty() ? std::string(" ") : value;
}

Description read(const fs::path& matrixFolder, std::string_view matrixFileName) {
    const fs::path file = matrixFolder / kInfoFile;
    return {ini::GetValue(matrixFileName, "Info1", file), ini::GetValue(matrixFileName, "Info2", file)};
}

void write(const fs::path& indexFile, std::string_view matrixFileName, std::string_view info1, std::string_view info2) {
    const std::string section = sectionName(matrixFileName);
    ini::SetValue(section, "Info1", info1, indexFile);
    ini::SetValue(section, "Info2", info2, indexFile);
}

void remove(Prompter& prompter, const fs::path& matrixFolder, std::string_view matrixFileName) {
    ini::DeleteSection(prompter, matrixFolder / kInfoFile, matrixFileName);
    ini::DeleteSection(prompter, matrixFolder / kCustomFile, matrixFileName);
}

bool rebuild(const fs::path& matrixFolder, std::string_view defaultText) {
    const std::string custom = fileio::readFile(matrixFolder / kCustomFile).value_or(std::string());
    std::string content(defaultText);
    content += text::kCrLf;
    content += custom;
    content += text::kCrLf;
    return fileio::writeFileAtomic(matrixFolder / kInfoFile, content);
}

} // namespace quire::descriptions
