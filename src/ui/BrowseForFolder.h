// The folder picker: asks the user for a folder and returns it in the form callers join names to.
#pragma once

#include "platform/Prompter.h"

#include <string>
#include <string_view>

namespace quire {

// The chosen folder's native path: the root as "/", any other folder without a trailing
// separator, blanks in its names kept; empty text when the user cancels or picks nothing usable.
std::string BrowseForFolder(Prompter& prompter, std::string_view title, std::string_view startFolder = {});

// The result rules on a path the dialog returned.
std::string normaliseChosenFolder(std::string_view chosen);

} // namespace quire
