// Folder creation shared by every window.
#include "Folders.h"

#include <system_error>

namespace quire {

const std::string_view kCreateFolderMessage =
    "Could not Create Destination Folder. You can't run this program from a drive root... please put it inside "
    "a folder!\n\n"
    "N\xE3o foi poss\xEDvel criar uma pasta. N\xE3o \xE9 permitido correr este programa a partir da raiz de um "
    "disco r\xEDgido... por favor, coloque-o dentro de uma pasta!";

bool CreateFolderPath(Prompter& prompter, const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path path = folder.empty() ? folder : fs::absolute(folder, ec);
    if (!path.empty() && fs::is_directory(path, ec))
        return true;
    // Some prefix of the path must exist as a folder, as a drive would on Windows.
    fs::path prefix = path.parent_path();
    while (!prefix.empty() && !fs::exists(prefix, ec)) {
        const fs::path up = prefix.parent_path();
        if (up == prefix)
            break;
        prefix = up;
    }
    const bool created =
        !path.empty() && !prefix.empty() && fs::is_directory(prefix, ec) && fs::create_directories(path, ec) && !ec;
    if (created || fs::is_directory(path, ec))
        return true;
    prompter.message(kCreateFolderMessage, kAppTitle, PromptButtons::Ok, PromptIcon::Exclamation);
    return false;
}

} // namespace quire
