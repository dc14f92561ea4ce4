// The matrix list, the viewer's reading and the deletion of a matrix.
#include "Library.h"

#include "platform/FileIo.h"
#include "platform/Text1252.h"

#include <algorithm>

namespace quire::library {
namespace {

std::string folded(const std::string& name) {
    // Case-insensitive order as on Windows: compare the lower-cased Windows-1252 text where
    // the name has one, the UTF-8 bytes otherwise.
    const auto cp = text::fromUtf8(name);
    return cp ? text::toLower(*cp) : name;
}

bool readOnly(const fs::path& file) {
    std::error_code ec;
    const auto status = fs::status(file, ec);
    return !ec && (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

} // namespace

std::vector<std::string> listMatrixFiles(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        const std::string name = it->path().filename().string();
        if (name.size() >= 4 && text::toLower(name.substr(name.size() - 4)) == ".mtx")
            names.push_back(name);
    }
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const auto fa = folded(a);
        const auto fb = folded(b);
        return fa != fb ? fa < fb : a < b;
    });
    return names;
}

std::string indexName(const std::string& fileName) {
    return text::fromUtf8(fileName).value_or(fileName);
}

descriptions::Description select(const fs::path& folder, const std::string& fileName, MatrixCells& cells) {
    descriptions::Description description = descriptions::read(folder, indexName(fileName));
    readMatrixFile(folder / fileName, cells);
    return description;
}

std::string deleteQuestion(const DeleteTexts& texts, const std::string& fileName) {
    return texts.line1 + "\n\n" + texts.line2 + " '" + indexName(fileName) + "'?";
}

bool deleteMatrix(Prompter& prompter, const DeleteTexts& texts, const fs::path& folder, const std::string& fileName) {
    const auto answer =
        prompter.message(deleteQuestion(texts, fileName), texts.title, PromptButtons::OkCancel, PromptIcon::Question);
    if (answer != PromptAnswer::Ok)
        return false;
    const fs::path file = folder / fileName;
    if (!readOnly(file)) {
        std::error_code ec;
        fs::remove(file, ec);
    }
    descriptions::remove(prompter, folder, indexName(fileName));
    return true;
}

} // namespace quire::library
