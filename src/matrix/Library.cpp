// The matrix list, the viewer's reading and the deletion of a matrix.
#include "Library.h"

#include "platform/FileIo.h"
#include "platform/Text1252.h"

namespace quire::library {
namespace {

bool readOnly(const fs::path& file) {
    std::error_code ec;
    const auto status = fs::status(file, ec);
    return !ec && (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

} // namespace

std::vector<std::string> listMatrixFiles(const fs::path& folder) {
    return fileio::listFiles(folder, {".mtx"});
}

fs::path matrixFilePath(const fs::path& folder, const std::string& fileName) {
    fs::path typed = folder / fileio::textToPath(fileName);
    std::error_code error;
    if (fs::exists(typed, error))
        return typed;
    const std::string wanted = text::toLower(fileName);
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string existing = fileio::pathToText(it->path().filename());
        if (!existing.empty() && text::toLower(existing) == wanted)
            return it->path();
    }
    return typed;
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
