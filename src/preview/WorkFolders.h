// The program's work folders: Preview (test-encode scripts, control files, encoded segments) and
// TempMatrix (QuantDump's output and the cut-out matrices), both beside the program.
#pragma once

#include "platform/Prompter.h"

#include <filesystem>
#include <string_view>

namespace quire {

inline constexpr std::string_view kPreviewFolder = "Preview";
inline constexpr std::string_view kTempMatrixFolder = "TempMatrix";

// Makes sure Preview and TempMatrix exist in the program folder (CreateFolderPath, which shows its
// message when it cannot), deletes the given folder with everything in it (read-only files too),
// and creates the two folders again. False when the folder could not be deleted completely or a
// work folder could not be created; an empty path deletes nothing.
bool DeleteWorkFolders(Prompter& prompter, const std::filesystem::path& programFolder,
                       const std::filesystem::path& folder);

// Whether the folder holds at least one file (hidden files, those starting with a dot, and
// subfolders do not count); false for a missing folder.
bool folderHoldsFiles(const std::filesystem::path& folder);

} // namespace quire
