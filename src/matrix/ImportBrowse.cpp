// The import window's browse and the reading of the chosen file into its fields.
#include "ImportBrowse.h"

#include <filesystem>

namespace quire::importing {
namespace {

void showInvalid(Prompter& prompter) {
    prompter.inform(kInvalidFile, kAppTitle);
}

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::vector<FileFilter> dialogFilters(SourceKind kind) {
    if (kind == SourceKind::Binary)
        return {{"CQM XCM Files", "*.cqm;*.xcm"}};
    return {{"Text Files", "*.txt"}, {"All Files", "*.*"}};
}

std::string matrixNameOfTitle(std::string_view titleUtf8) {
    // Characters, not bytes: a character of a UTF-8 name may take several bytes.
    std::size_t end = titleUtf8.size();
    for (int dropped = 0; dropped < 4; ++dropped) {
        if (end == 0)
            return {};
        --end;
        while (end > 0 && isContinuationByte(titleUtf8[end]))
            --end;
    }
    return std::string(titleUtf8.substr(0, end));
}

bool browse(Prompter& prompter, SourceKind kind, BrowseFields& fields) {
    fields.text1.clear();
    const std::string chosen = prompter.openFile(kDialogTitle, dialogFilters(kind), fields.lastFolder);
    const std::filesystem::path file(chosen);
    fields.txtPath = file.filename().string();
    if (chosen.empty())
        return false;
    fields.lastFolder = file.parent_path().string();

    const ImportRead read = readSource(file, kind, fields.cells);
    if (!read.opened)
        return true;
    if (read.dumpFailed || read.refused)
        showInvalid(prompter);
    if (read.refused)
        return true;
    fields.text1 = read.workingText;
    fields.txtMatrixName = matrixNameOfTitle(fields.txtPath);
    if (read.cells.outcome != CellsOutcome::Complete)
        showInvalid(prompter);
    return true;
}

} // namespace quire::importing
