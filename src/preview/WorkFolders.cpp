// The work folders beside the program and their reset.
#include "WorkFolders.h"

#include "app/Folders.h"

#include <system_error>

namespace quire {

namespace fs = std::filesystem;

namespace {

bool createWorkFolders(Prompter& prompter, const fs::path& programFolder) {
    const bool preview = CreateFolderPath(prompter, programFolder / kPreviewFolder);
    const bool tempMatrix = CreateFolderPath(prompter, programFolder / kTempMatrixFolder);
    return preview && tempMatrix;
}

} // namespace

bool DeleteWorkFolders(Prompter& prompter, const fs::path& programFolder, const fs::path& folder) {
    bool ok = createWorkFolders(prompter, programFolder);
    if (!folder.empty()) {
        std::error_code ec;
        fs::remove_all(folder, ec);
        ok = ok && !ec;
    }
    return createWorkFolders(prompter, programFolder) && ok;
}

bool folderHoldsFiles(const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        const std::string name = it->path().filename().string();
        if (it->is_regular_file(typeError) && !name.starts_with('.'))
            return true;
    }
    return false;
}

} // namespace quire
