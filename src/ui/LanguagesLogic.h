// What the Languages window does apart from its widgets: listing the language files of the
// Languages folder, switching the active language, and rebuilding the description index for it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quire::languages {

namespace fs = std::filesystem;

// The names (Windows-1252) of the regular files in the folder whose names match "*.lng", sorted
// as Windows lists them. Hidden files (a leading ".") and names that Windows-1252 cannot hold are left
// out. A missing or unreadable folder gives an empty list.
std::vector<std::string> listLanguageFiles(const fs::path& languagesFolder);

// Config/Language of programFolder/Editor.ini: the language in use.
std::string currentLanguage(const fs::path& programFolder);

// Makes `chosen` (a file name from the list) the active language: Config/Language of
// programFolder/Editor.ini is set to it (a failed write is lost silently, as every profile write).
void setLanguage(const fs::path& programFolder, std::string_view chosen);

enum class IndexRebuild {
    NotBuiltIn, // not one of the five built-in languages: Matrix_Info.ini is left as it is
    Done,       // Matrix_Info.ini rebuilt from the language's default text and Matrix_Info_Custom.ini
    Failed,     // built in, but the matrix folder is not set, missing, or Matrix_Info.ini cannot be written
};

// After a change of language: for a built-in language file (compared by exact name) Matrix_Info.ini
// of the matrix folder is made anew from that language's default descriptions followed by the text
// of Matrix_Info_Custom.ini. Nothing is written into a matrix folder that is empty text or does
// not exist.
IndexRebuild rebuildIndexFor(const fs::path& matrixFolder, std::string_view languageFile);

} // namespace quire::languages
