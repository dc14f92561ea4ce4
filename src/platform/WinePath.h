// Paths that Tessera writes into its files. Tessera runs under Wine, so its paths may carry a drive
// letter; they are read the way Wine reads them.
#pragma once

#include <filesystem>
#include <string_view>

namespace quire {

// The native path for a path found in the file `referringFile` (Windows-1252 text):
// - "Z:" is the root "/";
// - another drive letter is the drive's link in the `dosdevices` folder of the Wine prefix that holds
//   the referring file (the nearest folder above it with a `dosdevices` folder); when no prefix holds
//   it, the drive cannot be reached and the path is returned with its separators turned, so that
//   using it fails like any missing file;
// - backslashes become "/", and repeated separators count once.
// A relative path is taken from the referring file's folder (an absolute one stays where it is), with
// its separators turned.
std::filesystem::path winePath(std::string_view text, const std::filesystem::path& referringFile);

} // namespace quire
