// Running an outside program with the window style of the shell modes.
#include "RunAndWait.h"

namespace quire {

std::optional<WindowStyle> shellWindowStyle(std::string_view extractionShellMode, std::string_view previewShellMode) {
    if (extractionShellMode == "3")
        return WindowStyle::Minimised;
    if (previewShellMode == "1")
        return WindowStyle::Normal;
    if (previewShellMode == "2")
        return WindowStyle::Minimised;
    return std::nullopt;
}

RunResult RunAndWait(Runner& runner, std::string_view commandLine, std::string_view extractionShellMode,
                     std::string_view previewShellMode) {
    const auto style = shellWindowStyle(extractionShellMode, previewShellMode);
    if (!style)
        return RunResult::notRun();
    return runner.run(commandLine, *style);
}

} // namespace quire
