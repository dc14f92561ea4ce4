// Saving a matrix from the editors and the import into the library: the questions, the writes to
// Matrix_Info.ini and Matrix_Info_Custom.ini, the .mtx file, the closing message; and the edit
// window's loading of the values of a matrix file.
#pragma once

#include "app/SharedState.h"
#include "matrix/MatrixFile.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quire::editor {

// The window fields a save reads and changes. Texts are UTF-8 as the widgets hold them, with
// line breaks as CR LF; the window shows them again after the save, whatever its outcome (the
// description lines may have changed before a question was cancelled).
struct SaveFields {
    std::string name;             // txtMatrixName, as typed
    std::string line1;            // txtCustomMatrix1
    std::string line2;            // txtCustomMatrix2
    std::string text1;            // Text1, the mirror of line 1 (kept equal to line1 by the save)
    std::string cceValue = "127"; // CCEvalue (the editors only)
};

// The field a refusal is about; the window puts the focus there.
enum class SaveField { None, Name, Description1, Description2, Box };

struct SaveOutcome {
    bool saved = false; // the .mtx file was written and the closing message shown
    SaveField refused = SaveField::None;
    std::size_t box = 0; // the box, when refused == SaveField::Box
};

// Each save below asks and tells through state.prompter with the texts of section MESSAGES of the
// active language file, writes into the matrix folder state.matrixFolder(), and stops at the first
// question answered Cancel. Before it asks anything it refuses, with a message and nothing written:
// an empty name (MatrixImport), a name that cannot name a file (matrixNameProblem), a description
// line that Windows-1252 cannot hold, and - for the editors - a box that is empty or holds no whole
// number (firstBoxWithoutNumber). A .mtx file that cannot be written is reported and ends the save.
// Boxes are Windows-1252 text; they are written as they stand.

// The edit window's save. selectedEntry is the main window's selected file name (with extension;
// empty when the list has no entry): a name equal to it less its last four characters, with case,
// replaces that matrix; any other name saves a new one.
SaveOutcome saveEditedMatrix(SharedState& state, SaveFields& fields, const MatrixCells& boxes,
                             std::string_view selectedEntry);

// The new-matrix window's save; afterwards the main window's view is reset (state.mainView).
SaveOutcome saveNewMatrix(SharedState& state, SaveFields& fields, const MatrixCells& boxes);

// The import window's save: the new-matrix window's without the first-intra question, the CCE
// step and any box check; closes with MatrixEdMsg2, then the main window's view is reset.
SaveOutcome saveImportedMatrix(SharedState& state, SaveFields& fields, const MatrixCells& cells);

// The values the edit window loads from a matrix file: 16 lines read as the viewer reads them
// (the first count cells hold the values, at most 128). Empty optional - nothing to fill - when the
// file cannot be read or has fewer than 16 lines.
struct LoadedValues {
    MatrixCells cells;
    std::size_t count = 0;
};
std::optional<LoadedValues> loadEditValues(const std::filesystem::path& file);

} // namespace quire::editor
