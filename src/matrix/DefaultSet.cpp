// The default matrix set: built-in texts looked up by name and written into the matrix folder.
#include "matrix/DefaultSet.h"

#include "BuiltinResources.h"
#include "platform/FileIo.h"
#include "platform/Text1252.h"

#include <algorithm>
#include <string>

namespace quire {

std::string_view defaultMatrixText(std::string_view fileName) {
    if (std::find(kDefaultMatrixNames.begin(), kDefaultMatrixNames.end(), fileName) == kDefaultMatrixNames.end())
        return {};
    return builtinResource("matrices/" + std::string(fileName)).value_or(std::string_view());
}

std::string_view defaultMatrixInfo() {
    return builtinResource("Matrix_Info.txt").value_or(std::string_view());
}

int WriteDefaultMatrices(const std::filesystem::path& folder) {
    int written = 0;
    for (const std::string_view name : kDefaultMatrixNames) {
        const std::string bytes = std::string(defaultMatrixText(name)) + std::string(text::kCrLf);
        if (!fileio::writeFileAtomic(folder / fileio::textToPath(name), bytes))
            break;
        ++written;
    }
    return written;
}

} // namespace quire
