// Whole-file reads and writes as bytes. Every write either completes or leaves the old file as it was.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quire::fileio {

namespace fs = std::filesystem;

// The file's bytes; empty optional when it does not exist or cannot be read.
std::optional<std::string> readFile(const fs::path& file);

// Replaces the file's content: writes a temporary file in the same folder, then renames it
// over the target. Returns false (and leaves the old file untouched) when any step fails.
bool writeFileAtomic(const fs::path& file, std::string_view bytes);

// Appends bytes, creating the file when missing. Returns false on failure.
bool appendFile(const fs::path& file, std::string_view bytes);

bool isRegularFile(const fs::path& file);
bool isDirectory(const fs::path& folder);

// Converts between the native path and the Windows-1252 text the files hold.
// On this platform file names are UTF-8; a name that Windows-1252 cannot hold gives empty text.
std::string pathToText(const fs::path& path);
fs::path textToPath(std::string_view cp1252);

} // namespace quire::fileio
