// The About box's version line and the read-me it shows.
#include "ui/AboutLogic.h"

#include "platform/FileIo.h"

namespace quire::about {

std::string versionLine(int major, int minor, int revision) {
    return "  Version " + std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision) +
           " beta";
}

std::string versionLine() {
    return versionLine(QUIRE_VERSION_MAJOR, QUIRE_VERSION_MINOR, QUIRE_VERSION_REVISION);
}

std::optional<std::string> readReadme(const std::filesystem::path& programFolder) {
    const auto bytes = fileio::readFile(programFolder / kReadmeFile);
    if (!bytes)
        return std::nullopt;
    std::string text;
    text.reserve(bytes->size());
    for (std::size_t i = 0; i < bytes->size(); ++i) {
        const char c = (*bytes)[i];
        if (c != '\r') {
            text += c;
            continue;
        }
        text += '\n';
        if (i + 1 < bytes->size() && (*bytes)[i + 1] == '\n')
            ++i;
    }
    return text;
}

} // namespace quire::about
