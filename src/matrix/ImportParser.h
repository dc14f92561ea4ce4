// Reads matrices kept in files of other kinds: plain text with its separator clean-up, and the
// .cqm/.xcm byte layout (one value per byte) with its text dump. Everything happens in memory:
// nothing is written beside the source file and the working folder is never changed.
#pragma once

#include "matrix/MatrixFile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quire::importing {

// The one message of every unusable source file (not translated).
inline constexpr std::string_view kInvalidFile = "The file you selected is Invalid!!!";

// The most of a text file that is read. A text matrix's 16 lines take a few kilobytes; a file
// whose first 16 lines do not end within this many bytes counts as having too few lines.
inline constexpr std::size_t kTextReadLimit = std::size_t{1024} * 1024;
// A byte file's values: bytes 0-63 intra, 64-127 non-intra.
inline constexpr std::size_t kByteMatrixSize = 128;

enum class SourceKind { Text, Binary };

// --- The steps, each usable on its own.

// Every line end (CR LF, a lone LF or a lone CR) as CR LF, so that text from any system reads alike.
std::string withCrLf(std::string_view text);

// The eleven clean-up replacements, each made once over the whole text, left to right, in order:
// TAB+space, TAB, CR LF CR LF, three spaces, two spaces, ";"+two spaces, ";"+space, ";",
// ","+two spaces, ","+space, "," (the first becomes CR LF, every other one space).
std::string normalise(std::string_view text);

// The text dump of a byte sequence: one line per complete group of 8 bytes, each byte as its
// decimal value right-aligned in 4 characters, each line ended by CR LF. A last, incomplete group
// gives no line.
std::string byteDump(std::string_view bytes);

enum class CellsOutcome {
    Complete,      // 16 lines, at most 128 values
    TooFewLines,   // no cell changed
    TooManyValues, // cells 0-127 changed
};

struct CellsResult {
    CellsOutcome outcome = CellsOutcome::TooFewLines;
    std::size_t cellsFilled = 0; // cells 0 .. cellsFilled-1 received new text
};

// Reads exactly 16 lines of the cleaned-up text (CR LF line ends; a final line end does not start
// another line). From each line one leading TAB, then one leading blank, then one trailing blank
// are removed; the lines are joined with single blanks and split at every single blank, the
// pieces going into cells 0, 1, 2 ... (two blanks in a row give an empty piece). Fewer than 16
// lines change no cell; more than 128 pieces stop after cell 127. Cells not reached keep their text.
CellsResult splitIntoCells(std::string_view cleanText, MatrixCells& cells);

// --- Whole source files.

struct ImportRead {
    bool opened = false;     // false: no regular file that could be read; nothing else is set
    bool refused = false;    // a byte file shorter than 128 bytes: no cell changed, nothing else is set
    bool dumpFailed = false; // a byte file whose length is not a multiple of 8 (the message is due)
    std::string workingText; // the cleaned-up text the cells were read from
    CellsResult cells;
};

// A text source as its bytes: line ends made CR LF, cleaned up, a CR LF appended, the cells read.
// `complete` false means the bytes are only the start of a longer file, cut after a line end:
// then no CR LF is appended and the 16 lines must lie within them.
ImportRead parseText(std::string_view bytes, bool complete, MatrixCells& cells);

// A byte source as the first bytes of a file of `fileSize` bytes (at least min(fileSize, 128)
// of them): refused when shorter than 128 bytes; otherwise its first 128 bytes go through the
// dump, the clean-up and the 16-line read.
ImportRead parseBytes(std::string_view firstBytes, std::uintmax_t fileSize, MatrixCells& cells);

// Reads a source file of the given kind into the cells, reading no more than the rules can use
// (128 bytes of a byte file, kTextReadLimit bytes of a text file). A missing file, a folder or any
// other file that is not a regular, readable file gives opened = false and changes nothing.
ImportRead readSource(const std::filesystem::path& file, SourceKind kind, MatrixCells& cells);

// The raw byte layout of a matrix (.cqm): byte k is value k. Empty optional when a value lies
// outside 0-255.
std::optional<std::string> cqmBytes(const MatrixValues& values);

} // namespace quire::importing
