// A library matrix for other tools and other eyes: its values checked for use (128 values of 1 to
// 255), two matrices compared cell by cell, FFmpeg's -intra_matrix and -inter_matrix options, and
// the 128-byte .cqm file (intra then non-intra, each row by row, one byte a value).
#pragma once

#include "matrix/MatrixFile.h"
#include "platform/Prompter.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quire::library {

inline constexpr std::string_view kExportTitle = "Quire";
inline constexpr std::string_view kCqmDialogTitle = "Export matrix as .cqm";

// The matrix file's (native name) 128 values when every one is 1 to 255; nothing otherwise (or when it cannot be read).
std::optional<MatrixValues> usableValues(const std::filesystem::path& folder, const std::string& fileName);

// "The matrix file NAME does not hold 128 values from 1 to 255."
std::string unusableMessage(const std::string& fileName);

// Two matrices side by side: A, B and B - A, cell by cell.
struct Comparison {
    MatrixValues a{};
    MatrixValues b{};
    MatrixValues difference{};
};
Comparison compare(const MatrixValues& a, const MatrixValues& b);

// "-intra_matrix v0,...,v63 -inter_matrix v64,...,v127": each table row by row, as the file holds it.
std::string ffmpegOptions(const MatrixValues& values);
// The 128 values as bytes.
std::string cqmBytes(const MatrixValues& values);

// ffmpegOptions of a library matrix; a matrix that is not usable shows unusableMessage and gives empty text.
std::string ffmpegOptionsOf(Prompter& prompter, const std::filesystem::path& folder, const std::string& fileName);

// Asks where to write the matrix as .cqm (NAME.cqm in the matrix folder offered; ".cqm" added to a name
// without an extension) and writes it whole or not at all. A matrix that is not usable, or a file that
// cannot be written, is said in a box. The path written; empty when nothing was (or the user cancelled).
std::string exportCqm(Prompter& prompter, const std::filesystem::path& folder, const std::string& fileName);

} // namespace quire::library
