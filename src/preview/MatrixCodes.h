// The chosen matrix as the encoders take it: its 16 text rows for the control files, and its 128 values
// as character codes, which QuEnc gets as the 128 bytes of temp.cqm.
#pragma once

#include "platform/Prompter.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>

namespace quire::preview {

inline constexpr std::string_view kMatrixErrorTitle = "DVD-TA ERROR";
inline constexpr std::string_view kBadMatrixMessage = "INPUT.MTX was not a properly formatted .MTX file.";

// The 16 lines of a matrix file in file order, as the control files carry them; lines the file lacks
// (or a file that cannot be read) give empty rows.
using MatrixRows = std::array<std::string, 16>;
MatrixRows readMatrixRows(const std::filesystem::path& file);

// The numbers of the text (every run of the digits 0 to 9 is one) as a text of exactly 128 characters
// whose codes are the values; empty text when there are not exactly 128 or one has no one-byte code.
std::string ParseMatrixCodes(std::string_view content);

// ParseMatrixCodes of matrixFolder/fileName. A missing file shows "The Quant Matrix file: <name> cannot
// be opened!" (critical, "DVD-TA ERROR") and gives empty text.
std::string ReadMatrixCodes(Prompter& prompter, const std::filesystem::path& matrixFolder, std::string_view fileName);

// Writes the codes of the matrix file as the 128 bytes of programFolder/Preview/temp.cqm. When the file
// gives no codes it shows kBadMatrixMessage and writes nothing. False when nothing was written.
bool writeTempCqm(Prompter& prompter, const std::filesystem::path& programFolder,
                  const std::filesystem::path& matrixFolder, std::string_view fileName);

} // namespace quire::preview
