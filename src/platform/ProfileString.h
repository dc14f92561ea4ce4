// Reading and editing INI-shaped files the way the Windows profile-string functions do:
// names match without regard to case, values are trimmed and unquoted on reading, and a
// write edits the file in place, keeping every byte of every line it does not have to change.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quire::profile {

// --- Pure forms on file content (Windows-1252 bytes); the file forms below are built on them.

// The value of section/key in the content, trimmed of blanks and with one pair of matching
// outer quotes removed; empty optional when the section or key is missing. Section and key
// match without regard to case (Windows-1252 letters), their outer blanks ignored; an empty name
// matches nothing. Only the first section of the name is searched; the first matching key wins.
std::optional<std::string> findValue(std::string_view content, std::string_view section, std::string_view key);

// The content after writing section/key = value (a new key, a replaced value, a new section).
// The content comes back unchanged when a name is empty or could not be found again once
// written (a line break in a name, "]" in a section, "=" in a key, a key starting "[" or ";").
std::string withValue(std::string_view content, std::string_view section, std::string_view key, std::string_view value);

// Whether a section of this name is written and found again under exactly this name: false for
// an empty name, one holding a line break or "]" (writes refuse them), and one with blanks at
// either end (writes and reads drop them, so the header no longer matches the name as given).
bool keepsSectionName(std::string_view section);

// The content without the key's line / without the section (its comment lines stay).
std::string withoutKey(std::string_view content, std::string_view section, std::string_view key);
std::string withoutSection(std::string_view content, std::string_view section);

// --- File forms.

// GetPrivateProfileString: the value, or defaultValue when the file, section or key is missing,
// cut to bufferSize - 1 characters. bufferSize 0 gives empty text.
std::string getString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                      std::string_view defaultValue, std::size_t bufferSize);

// WritePrivateProfileString with a value: creates the file (its folder must exist) and the
// section when missing. Leaves the file untouched when the key already holds that value.
// Returns false when the file cannot be read or written, or a name is refused as by withValue.
bool writeString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                 std::string_view value);

// WritePrivateProfileString with no value / no key: deletes a key or a whole section.
// Deleting what does not exist changes nothing and succeeds.
bool deleteKey(const std::filesystem::path& file, std::string_view section, std::string_view key);
bool deleteSection(const std::filesystem::path& file, std::string_view section);

} // namespace quire::profile
