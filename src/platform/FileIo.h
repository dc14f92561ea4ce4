// Whole-file reads and writes as bytes. Every write either completes or leaves the old file as it was.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quire::fileio {

namespace fs = std::filesystem;

// The file's bytes; empty optional when it does not exist or cannot be read.
std::optional<std::string> readFile(const fs::path& file);

// Replaces the file's content: writes a temporary file in the same folder, then renames it
// over the target. Returns false (and leaves the old file untouched) when any step fails.
// A symbolic link stays a link: the file at the end of its chain is written, with its temporary
// file beside it. The file keeps its owner, group and permissions; when they cannot be handed to
// a new file (another user's file the writer may write), the file is rewritten where it stands.
bool writeFileAtomic(const fs::path& file, std::string_view bytes);

// Appends bytes, creating the file when missing. Returns false on failure.
bool appendFile(const fs::path& file, std::string_view bytes);

bool isRegularFile(const fs::path& file);

// The names (native) of the folder's regular files whose names end, without regard to case, in
// one of the extensions (".mtx"), with at least one character before it, sorted with lessByName.
// Hidden files (a leading ".") are left out; a missing or unreadable folder gives no names.
std::vector<std::string> listFiles(const fs::path& folder, std::initializer_list<std::string_view> extensions);

// Orders names as Windows lists them: without regard to case by Windows-1252 rules, accented
// letters after the plain ones; names equal but for case fall back to their bytes.
bool lessByName(std::string_view a, std::string_view b);
bool isDirectory(const fs::path& folder);

// Converts between the native path and the Windows-1252 text the files hold.
// On this platform file names are UTF-8; a name that Windows-1252 cannot hold gives empty text.
std::string pathToText(const fs::path& path);
fs::path textToPath(std::string_view cp1252);

} // namespace quire::fileio
