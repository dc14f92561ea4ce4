// The matrix library as the main window shows it: the list of .mtx files of the matrix folder,
// the selected matrix's description and values, and its deletion.
#pragma once

#include "matrix/DescriptionIndex.h"
#include "matrix/MatrixFile.h"
#include "platform/Prompter.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quire::library {

namespace fs = std::filesystem;

// The names (native) of the files of the folder that match "*.mtx" without regard to case,
// sorted by name without regard to case; empty when the folder cannot be read.
std::vector<std::string> listMatrixFiles(const fs::path& folder);

// What selecting a matrix shows: its description (from Matrix_Info.ini) and its values read into
// the cells (cells that the file does not reach keep their text).
descriptions::Description select(const fs::path& folder, const std::string& fileName, MatrixCells& cells);

// The texts the deletion question is made of, from the active language file.
struct DeleteTexts {
    std::string line1; // MESSAGES/DelMatrixMsg1L1
    std::string line2; // MESSAGES/DelMatrixMsg1L2
    std::string title; // MESSAGES/DelMatTitle
};

// The question asked before a deletion.
std::string deleteQuestion(const DeleteTexts& texts, const std::string& fileName);

// Asks, then deletes the file and its sections in both index files. False when the user
// cancelled (nothing changed). A file that cannot be deleted (read-only) stays; its sections go.
bool deleteMatrix(Prompter& prompter, const DeleteTexts& texts, const fs::path& folder, const std::string& fileName);

// The file a matrix file name (Windows-1252) stands for in the folder: the name as given, or an
// existing file of the folder whose name differs from it only in letter case, so that the folder
// never holds two files that Windows (where Tessera reads the same folder) would take for one.
// Every save of a matrix writes there.
fs::path matrixFilePath(const fs::path& folder, const std::string& fileName);

// A matrix file name as Windows-1252 text, for its index section.
std::string indexName(const std::string& fileName);

} // namespace quire::library
