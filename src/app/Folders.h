// The program folder and folder creation shared by every window.
#pragma once

#include "platform/Prompter.h"

#include <filesystem>

namespace quire {

// Creates every missing folder of path. Shows the drive-root message and returns false when no
// prefix of the path exists or a folder cannot be created.
bool CreateFolderPath(Prompter& prompter, const std::filesystem::path& path);

// The message CreateFolderPath shows (Windows-1252).
extern const std::string_view kCreateFolderMessage;

} // namespace quire
