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

std::vector<std::string> listLanguageFiles(const fs::path& languagesFolder) {
    std::vector<std::string> names;
    for (const auto& native : fileio::listFiles(languagesFolder, {kExtension})) {
        // A name Windows-1252 cannot hold could not be stored as the active language.
        if (std::string name = fileio::pathToText(native); !name.empty())
            names.push_back(std::move(name));
    }
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
