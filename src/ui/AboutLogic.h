// What the About box shows apart from its widgets: the version line and the shipped read-me.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quire::about {

// Two blanks, "Version ", major "." minor "." revision, a blank and "beta":
// for 0, 2, 9 "  Version 0.2.9 beta".
std::string versionLine(int major, int minor, int revision);
// The version line of this build.
std::string versionLine();

// The name of the read-me in the program folder.
inline constexpr const char* kReadmeFile = "readme.txt";

// The whole of programFolder/readme.txt (Windows-1252) with every line end (CR LF, LF or a lone
// CR) made a single LF, ready for a multi-line text box; empty optional when the file is missing
// or cannot be read.
std::optional<std::string> readReadme(const std::filesystem::path& programFolder);

} // namespace quire::about
