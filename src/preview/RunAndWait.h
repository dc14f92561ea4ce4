// Running an outside program and waiting for it (QuantDump, the encoders, the media player), with the
// window style that the extraction and preview windows' shell modes ask for.
#pragma once

#include "platform/Runner.h"

#include <optional>
#include <string_view>

namespace quire {

// The window style for the two windows' shell modes: the extraction window's "3" runs minimised;
// otherwise the preview window's "1" runs in a normal window and its "2" minimised; any other
// combination runs nothing (empty optional).
std::optional<WindowStyle> shellWindowStyle(std::string_view extractionShellMode, std::string_view previewShellMode);

// Runs the command line with the style of the shell modes and returns when the program has ended.
// NotRun when the modes ask for no run; CouldNotStart (with the reason) when the program cannot be
// started. The exit status is passed on but means nothing to the callers.
RunResult RunAndWait(Runner& runner, std::string_view commandLine, std::string_view extractionShellMode,
                     std::string_view previewShellMode = {});

} // namespace quire
