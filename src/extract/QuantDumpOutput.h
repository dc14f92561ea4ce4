// QuantDump's output as extraction reads it: 60 items taken by line position, the two matrices cut
// out of them into mat1.txt and mat2.txt, and the matrix texts made ready for display and saving.
#pragma once

#include "platform/Prompter.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quire::extract {

namespace fs = std::filesystem;

// Six blocks of ten lines: a header, the eight rows of a matrix, an empty line.
inline constexpr std::string_view kIntraHeader = "Luma and Chroma Intra Quant Matrix:";
inline constexpr std::string_view kNonIntraHeader = "Luma and Chroma Non-Intra Quant Matrix:";
inline constexpr std::size_t kOutputItems = 60;

inline constexpr std::string_view kNoCustomMatrices =
    "No custom Matrices found! This video stream was encoded using MPEG standard Matrix!";
// The one line QuantDump writes instead of the blocks when it cannot read a stream's matrices,
// followed by its reason.
inline constexpr std::string_view kQuantDumpErrorLine = "QuantDump error: ";
inline constexpr std::string_view kQuantDumpFailed = "QuantDump could not read the matrices of this video stream:\n";
inline constexpr std::string_view kNoOutput = "QuantDump wrote no output for this video stream.";
inline constexpr std::string_view kMat1File = "mat1.txt";
inline constexpr std::string_view kMat2File = "mat2.txt";

// The items A(1) to A(60), at indexes 0 to 59.
using OutputItems = std::array<std::string, kOutputItems>;

// How far an output reaches, by the number of items (lines) it holds.
enum class OutputReach {
    Complete,     // 60 items or more
    EndsBefore20, // fewer than 20: no custom matrices
    EndsIn30To60, // 20 to 59: no custom matrices; an end inside 21-29 passes that chunk, but the
                  // chunk 30-40 then starts at the end of the text
};
OutputReach reachOf(std::size_t itemCount);

// The items of an output text, read in the chunks 1-20, 21-29, 30-40, 41-60. Each line is one item:
// the line up to its first comma (the rest of that line is dropped), without its leading blanks;
// an empty line is an empty item. Lines end at CR LF, LF or a lone CR. Empty optional when the
// text ends before item 20 or while items 30 to 60 are read.
std::optional<OutputItems> readOutputItems(std::string_view output);

// The texts of mat1.txt and mat2.txt: each item used is written followed by two blanks and CR LF.
// Matrix 1 follows the five rules in order (items compared as whole strings):
//   A21 is the Non-Intra header: items 2-9;
//   A31 is empty and A21 is the Intra header: items 22-29, then 12-19;
//   A21 is the Non-Intra header: items 22-29;
//   A31 is not empty and A21 is the Intra header: items 22-29;
//   A21 is not the Non-Intra header and A31 is not empty: items 32-39.
// Matrix 2 is items 42-49, then 52-59.
std::string matrix1Text(const OutputItems& items);
std::string matrix2Text(const OutputItems& items);

// QuantDump's reason when the output is its error line (the text after kQuantDumpErrorLine on the
// first line); empty optional for any other output.
std::optional<std::string> quantDumpError(std::string_view output);

struct ParsedOutput {
    std::string noMatrix = "0"; // "1" when the output was read, "0" when it held no custom matrices
    std::string TempMat1;       // the text of mat1.txt
    std::string TempMat2;       // the text of mat2.txt
    std::string problem;        // when nothing was read: the text the box showed
    bool found() const { return noMatrix == "1"; }
};

// Reads QuantDump's output file (at most its first MiB, which holds far more than 60 lines), writes
// mat1.txt and mat2.txt into the folder and returns their texts with noMatrix "1". Otherwise it
// shows one OK box and returns noMatrix "0", empty texts and the box's text as problem: missingText
// when the file cannot be read; kQuantDumpFailed and QuantDump's reason for its error line;
// kNoCustomMatrices when the output holds no custom matrices by the end-of-file rules (a stream
// that keeps the standard matrices) or the two files cannot be written.
ParsedOutput ParseQuantDumpOutput(Prompter& prompter, const fs::path& outputFile, const fs::path& tempMatrixFolder,
                                  std::string_view missingText = kNoCustomMatrices);

// A matrix text ready to show and save: " 8 " becomes " 08 " (two passes, so that values side by
// side are all caught), then " 9 " becomes " 09 " (two passes), then every pair of blanks is
// removed; then every run of 16 line breaks (CR LF pairs, as the matrix files are written) is
// removed, so that a file of 16 empty rows gives an empty text. Each replacement scans left to
// right without overlapping.
std::string extractedDisplay(std::string_view raw);

// The name proposed for an extracted matrix: the stream's file name (UTF-8) less its last four
// characters, followed by the suffix ("VTS_01_1.VOB" and "_M1" give "VTS_01_1_M1").
std::string proposedName(std::string_view streamFileName, std::string_view suffix);

// What the window shows of one extracted matrix.
struct ExtractedMatrix {
    std::string display; // Windows-1252, CR LF line ends; empty when there is no matrix
    std::string name;    // UTF-8, the proposed name; empty when there is no matrix
    bool usable() const { return !display.empty(); }
};

// The display of TempMat1 (suffix "_M1") or TempMat2 ("_M2") and, when it is not empty, its name.
ExtractedMatrix LoadExtractedMatrices(std::string_view tempMat, std::string_view streamFileName,
                                      std::string_view suffix);

} // namespace quire::extract
