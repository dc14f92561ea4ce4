// Built-in language files written on demand, and caption lookup in the active one.
#include "ui/Localisation.h"

#include "BuiltinResources.h"
#include "app/Folders.h"
#include "app/IniManager.h"
#include "matrix/DefaultSet.h"
#include "platform/FileIo.h"
#include "platform/Text1252.h"

#include <algorithm>

namespace quire {
namespace {

bool isBuiltinLanguage(std::string_view languageFile) {
    return std::find(kLanguageFileNames.begin(), kLanguageFileNames.end(), languageFile) != kLanguageFileNames.end();
}

} // namespace

std::optional<std::string_view> builtinLanguageText(std::string_view languageFile) {
    if (!isBuiltinLanguage(languageFile))
        return std::nullopt;
    return builtinResource("languages/" + std::string(languageFile));
}

std::optional<std::string> WriteLanguageFiles(Prompter& prompter, const std::filesystem::path& programFolder) {
    const std::filesystem::path folder = programFolder / kLanguagesFolder;
    if (!CreateFolderPath(prompter, folder))
        return std::nullopt;
    for (const std::string_view name : kLanguageFileNames) {
        const std::string bytes = std::string(builtinLanguageText(name).value_or("")) + std::string(text::kCrLf);
        if (!fileio::writeFileAtomic(folder / name, bytes))
            return std::nullopt;
    }
    const std::filesystem::path editorIni = programFolder / "Editor.ini";
    if (ini::GetValue("Config", "Language", editorIni).empty())
        ini::SetValue("Config", "Language", kDefaultLanguageFile, editorIni);
    return ini::GetValue("Config", "Language", editorIni);
}

std::string caption(const std::filesystem::path& programFolder, std::string_view txtLang, std::string_view section,
                    std::string_view key) {
    return ini::GetValue(section, key, programFolder / kLanguagesFolder / fileio::textToPath(txtLang));
}

std::optional<std::string_view> defaultMatrixInfoFor(std::string_view languageFile) {
    if (!isBuiltinLanguage(languageFile))
        return std::nullopt;
    return defaultMatrixInfo();
}

} // namespace quire
