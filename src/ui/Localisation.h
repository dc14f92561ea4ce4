// The built-in language files, writing them into the program folder's Languages folder, and the
// lookup of captions and messages in the active language file.
#pragma once

#include "platform/Prompter.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quire {

// The built-in language files, in the order in which WriteLanguageFiles writes them.
inline constexpr std::array<std::string_view, 5> kLanguageFileNames = {
    "English.lng", "Portugues.lng", "Francais.lng", "Deutch.lng", "Italiano.lng",
};

// The language that Editor.ini gets when none is set.
inline constexpr std::string_view kDefaultLanguageFile = "English.lng";

// The folder of the language files below the program folder.
inline constexpr std::string_view kLanguagesFolder = "Languages";

// The built-in text of a language file (Windows-1252, CR LF line ends, ending with a line break);
// empty optional for a name that is not built in.
std::optional<std::string_view> builtinLanguageText(std::string_view languageFile);

// Creates programFolder/Languages (CreateFolderPath, which shows its message on failure), writes
// every built-in language file there as its text followed by CR LF, leaving any other .lng file
// alone, and sets Config/Language of Editor.ini to English.lng when it is empty.
// Returns the value of Config/Language afterwards (the caller's txtLang); empty optional when the
// folder could not be created or a file could not be written (Editor.ini is then left as it was).
std::optional<std::string> WriteLanguageFiles(Prompter& prompter, const std::filesystem::path& programFolder);

// The text of (section, key) in programFolder/Languages/txtLang; empty text when the file, the
// section or the key is missing. Section and key names match without regard to case.
std::string caption(const std::filesystem::path& programFolder, std::string_view txtLang, std::string_view section,
                    std::string_view key);

// The default description text that goes with a built-in language file, used to rebuild
// Matrix_Info.ini after a change of language. The five built-in texts are the same.
// Empty optional for a language file that is not built in (compared by exact name).
std::optional<std::string_view> defaultMatrixInfoFor(std::string_view languageFile);

} // namespace quire
