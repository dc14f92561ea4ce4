// Reading a Windows path as Wine does.
#include "WinePath.h"

#include "platform/FileIo.h"
#include "platform/Text1252.h"

#include <string>
#include <system_error>

namespace quire {
namespace {

namespace fs = std::filesystem;

// Backslashes to "/", and each run of separators to one.
std::string turnSeparators(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const char s = c == '\\' ? '/' : c;
        if (s == '/' && !out.empty() && out.back() == '/')
            continue;
        out.push_back(s);
    }
    return out;
}

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The nearest folder at or above `start` that holds a `dosdevices` folder; empty when none does.
fs::path winePrefix(const fs::path& start) {
    std::error_code ec;
    fs::path folder = fs::absolute(start, ec);
    if (ec)
        return {};
    while (!folder.empty()) {
        if (fs::is_directory(folder / "dosdevices", ec))
            return folder;
        const fs::path parent = folder.parent_path();
        if (parent == folder)
            break;
        folder = parent;
    }
    return {};
}

} // namespace

std::filesystem::path winePath(std::string_view text, const std::filesystem::path& referringFile) {
    if (text.size() < 2 || text[1] != ':' || !isDriveLetter(text[0])) {
        const fs::path path = fileio::textToPath(turnSeparators(text));
        return path.is_absolute() || path.empty() ? path : referringFile.parent_path() / path;
    }
    const char drive = text::lowerChar(text[0]);
    std::string rest = turnSeparators(text.substr(2));
    while (!rest.empty() && rest.front() == '/')
        rest.erase(0, 1);
    if (drive == 'z')
        return fs::path("/") / fileio::textToPath(rest);
    const fs::path prefix = winePrefix(referringFile.parent_path());
    if (prefix.empty())
        return fileio::textToPath(turnSeparators(text));
    const fs::path device = prefix / "dosdevices" / std::string{drive, ':'};
    return rest.empty() ? device : device / fileio::textToPath(rest);
}

} // namespace quire
