// Listing the language files, switching the active language, rebuilding the description index.
#include "ui/LanguagesLogic.h"

#include "app/IniManager.h"
#include "matrix/DescriptionIndex.h"
#include "platform/FileIo.h"
#include "platform/Text1252.h"
#include "ui/Localisation.h"

#include <algorithm>
#include <system_error>

namespace quire::languages {

namespace {

constexpr std::string_view kExtension = ".lng";

} // namespace

bool isLanguageFileName(std::string_view name) {
    if (name.size() <= kExtension.size())
        return false;
    return text::toLower(name.substr(name.size() - kExtension.size())) == kExtension;
}

bool lessByName(std::string_view a, std::string_view b) {
    const std::string lowerA = text::toLower(a);
    const std::string lowerB = text::toLower(b);
    // Compare as unsigned bytes, so that accented letters sort after the ASCII ones.
    const auto asBytes = [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); };
    if (lowerA != lowerB)
        return std::lexicographical_compare(lowerA.begin(), lowerA.end(), lowerB.begin(), lowerB.end(), asBytes);
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), asBytes);
}

std::vector<std::string> listLanguageFiles(const fs::path& languagesFolder) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(languagesFolder, ec);
    if (ec)
        return names;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            break;
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || typeError)
            continue;
        const std::string name = fileio::pathToText(it->path().filename());
        if (name.empty() || name.front() == '.' || !isLanguageFileName(name))
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return lessByName(a, b); });
    return names;
}

std::string currentLanguage(const fs::path& programFolder) {
    return ini::GetValue("Config", "Language", programFolder / "Editor.ini");
}

void setLanguage(const fs::path& programFolder, std::string_view chosen) {
    ini::SetValue("Config", "Language", chosen, programFolder / "Editor.ini");
}

IndexRebuild rebuildIndexFor(const fs::path& matrixFolder, std::string_view languageFile) {
    const auto defaultText = defaultMatrixInfoFor(languageFile);
    if (!defaultText)
        return IndexRebuild::NotBuiltIn;
    // An empty path would put the index into the working folder.
    if (matrixFolder.empty() || !fileio::isDirectory(matrixFolder))
        return IndexRebuild::Failed;
    return descriptions::rebuild(matrixFolder, *defaultText) ? IndexRebuild::Done : IndexRebuild::Failed;
}

} // namespace quire::languages
