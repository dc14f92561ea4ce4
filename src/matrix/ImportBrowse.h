// The import window's browse: the open-file dialog for the chosen kind of file, then the reading
// of that file into the window's fields, with the invalid-file message where the reading fails.
#pragma once

#include "matrix/ImportParser.h"
#include "platform/Prompter.h"

#include <string>
#include <string_view>
#include <vector>

namespace quire::importing {

inline constexpr std::string_view kDialogTitle = "  Import";

// The open-file dialog's filters: "Text Files" (*.txt) and "All Files" (*.*) for text files,
// "CQM XCM Files" (*.cqm;*.xcm) for byte files.
std::vector<FileFilter> dialogFilters(SourceKind kind);

// The import window's fields that a browse changes.
struct BrowseFields {
    std::string txtPath;       // the chosen file's name without its folder (UTF-8); empty after a cancel
    std::string txtMatrixName; // UTF-8
    std::string text1;         // the working text, Windows-1252
    MatrixCells cells;         // the 128 boxes, Windows-1252
    std::string lastFolder;    // where the dialog opens next (native), the folder of the last file chosen
};

// The name a file title gives a matrix: the title less its last four characters (for a
// three-letter extension, the name without it); empty for a title of four characters or fewer.
std::string matrixNameOfTitle(std::string_view titleUtf8);

// Empties the working text, asks for a file of the kind through the prompter and reads it into
// the fields. A cancel or a file that cannot be read ends the browse silently (txtPath shows the
// title, empty after a cancel). A byte file whose length is not a multiple of 8 shows kInvalidFile
// and goes on; one shorter than 128 bytes shows it and ends the browse. Otherwise the name is set
// from the title and the boxes are filled; too few lines or too many values show kInvalidFile, the
// boxes filled before the failure keeping their new values and the others their old ones.
// Returns true when a file was chosen.
bool browse(Prompter& prompter, SourceKind kind, BrowseFields& fields);

} // namespace quire::importing
