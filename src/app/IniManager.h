// Access to INI-shaped files: Editor.ini, the description index, the language files and the
// host program's project files. Two families: the profile-string wrappers, which match names
// without regard to case, and a line scanner that compares names exactly, with case.
// Sections, keys and values are Windows-1252 text; files are native paths.
#pragma once

#include "platform/Prompter.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace quire::ini {

namespace fs = std::filesystem;

// --- Profile-string wrappers (no messages).

// The value (at most 254 characters); empty text when the file, section or key is missing.
std::string GetValue(std::string_view section, std::string_view key, const fs::path& file);
// Writes the value, creating the file and the section when missing; a failed write is lost silently.
void SetValue(std::string_view section, std::string_view key, std::string_view value, const fs::path& file);

// --- Routines that report through message boxes.

// Reads like GetValue, up to the first NUL; a missing file shows the project message and gives "".
std::string GetProjectValue(Prompter& prompter, const fs::path& file, std::string_view section, std::string_view key);
// Deletes a whole section; 1 on success, 0 with the file message when the file is missing.
int DeleteSection(Prompter& prompter, const fs::path& file, std::string_view section);
// Deletes a key after checking file, section and key; 1 on success, 0 after a message.
int DeleteKey(Prompter& prompter, const fs::path& file, std::string_view section, std::string_view key);

// --- Line scanner (exact, case-sensitive names).

bool IsSection(std::string_view line);
bool IsKey(std::string_view line);
bool SectionExists(Prompter& prompter, const fs::path& file, std::string_view section);
bool KeyExists(Prompter& prompter, const fs::path& file, std::string_view section, std::string_view key);
int NumSections(Prompter& prompter, const fs::path& file);
int NumKeys(Prompter& prompter, const fs::path& file, std::string_view section);
std::string GetSectionName(Prompter& prompter, const fs::path& file, int index);
std::string GetKeyName(Prompter& prompter, const fs::path& file, int sectionIndex, int keyIndex);

// The fixed texts of the messages above.
inline constexpr std::string_view kProjectMessage = "There's no data, on the ECL file, about this segment!!!\n"
                                                    "Please, run Tessera's 'Prepare Phase' before using this function.";

} // namespace quire::ini
