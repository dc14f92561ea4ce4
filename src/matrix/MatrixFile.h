// The .mtx matrix file: 16 lines of 8 values, intra rows then non-intra rows, and the two
// ways of reading it (the viewer's cell-by-cell text reading and the encoder's digit runs).
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quire {

inline constexpr std::size_t kMatrixCells = 128;
// 128 cells as text: 0-63 the intra table, 64-127 the non-intra table, each row by row.
using MatrixCells = std::array<std::string, kMatrixCells>;
using MatrixValues = std::array<int, kMatrixCells>;

struct MatrixReadResult {
    std::size_t cellsFilled = 0; // cells 0 .. cellsFilled-1 received new text
    bool complete = false;       // 16 lines were read and they held at most 128 values
};

// Reads up to 16 lines of text into the cells: a leading tab and one trailing blank of each
// line are dropped, the lines are joined with single blanks, and every single blank ends a
// value (so two blanks in a row give an empty cell). Stops when 128 cells are full or the
// text has fewer than 16 lines; cells not reached keep their text.
MatrixReadResult readMatrixText(std::string_view content, MatrixCells& cells);

// The same for a file; a missing or unreadable file changes no cell.
MatrixReadResult readMatrixFile(const std::filesystem::path& file, MatrixCells& cells);

// The 16-line layout: cells 8r .. 8r+7 joined by single blanks, each line ended by CR LF.
std::string matrixText(const MatrixCells& cells);

// Creates or overwrites the file with matrixText; false when it cannot be written.
bool writeMatrixFile(const std::filesystem::path& file, const MatrixCells& cells);

// Every maximal run of decimal digits is one value, in order; exactly 128 values or nothing.
// A run too long for a number counts as its largest value.
std::optional<MatrixValues> ParseMatrixCodes(std::string_view content);
std::optional<MatrixValues> ReadMatrixCodes(const std::filesystem::path& file);

// The cells every view starts with: "000" in each.
MatrixCells emptyGrid();

} // namespace quire
