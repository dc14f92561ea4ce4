// The chosen matrix read for the encoders.
#include "MatrixCodes.h"

#include "matrix/MatrixFile.h"
#include "platform/FileIo.h"
#include "platform/Text1252.h"
#include "preview/WorkFolders.h"

namespace quire::preview {

namespace fs = std::filesystem;

MatrixRows readMatrixRows(const fs::path& file) {
    MatrixRows rows;
    const auto lines = text::splitLines(fileio::readFile(file).value_or(""));
    for (std::size_t i = 0; i < rows.size() && i < lines.size(); ++i)
        rows[i] = lines[i];
    return rows;
}

std::string ParseMatrixCodes(std::string_view content) {
    const auto values = quire::ParseMatrixCodes(content);
    if (!values)
        return {};
    std::string codes;
    for (const int value : *values) {
        if (value > 255)
            return {};
        codes += static_cast<char>(static_cast<unsigned char>(value));
    }
    return codes;
}

std::string ReadMatrixCodes(Prompter& prompter, const fs::path& matrixFolder, std::string_view fileName) {
    const auto content = fileio::readFile(matrixFolder / fileio::textToPath(fileName));
    if (!content) {
        prompter.message("The Quant Matrix file: " + std::string(fileName) + " cannot be opened!", kMatrixErrorTitle,
                         PromptButtons::Ok, PromptIcon::Critical);
        return {};
    }
    return ParseMatrixCodes(*content);
}

bool writeTempCqm(Prompter& prompter, const fs::path& programFolder, const fs::path& matrixFolder,
                  std::string_view fileName) {
    const std::string codes = ReadMatrixCodes(prompter, matrixFolder, fileName);
    if (codes.empty()) {
        prompter.message(kBadMatrixMessage, kAppTitle, PromptButtons::Ok, PromptIcon::None);
        return false;
    }
    return fileio::writeFileAtomic(programFolder / kPreviewFolder / "temp.cqm", codes);
}

} // namespace quire::preview
