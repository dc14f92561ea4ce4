// The proof that a test encode used the chosen matrix: the encoded file's matrices read back with the
// program's QuantDump and compared with the chosen library matrix (or with the MPEG defaults for
// "No Matrix"). Each result is kept beside its file, NAME.m2v.check in the Preview folder, so that the
// encoded-segments list shows it again without reading the file again; it goes with the Preview folder.
#pragma once

#include "matrix/MatrixFile.h"
#include "platform/Runner.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quire::preview {

namespace fs = std::filesystem;

inline constexpr std::string_view kNoMatrixName = "No_Matrix";
inline constexpr std::string_view kCheckExtension = ".check";
// The shell mode the read-back runs in: QuantDump minimised, as the extraction window runs it.
inline constexpr std::string_view kCheckShellMode = "3";

enum class CheckVerdict {
    Matches,    // the file's matrices are the chosen ones
    Differs,    // they are not; words names the first differing cell
    Unreadable, // they could not be read; words says why
};

struct MatrixCheck {
    CheckVerdict verdict = CheckVerdict::Unreadable;
    std::string words; // Windows-1252, one sentence or two, for the user
    bool operator==(const MatrixCheck&) const = default;
};

// The matrices a decoder uses when a stream loads none: the MPEG intra table and a flat 16.
const MatrixValues& mpegDefaultMatrices();

// The matrices an encode was asked to use: the library file's 128 values, or the MPEG defaults when
// matrixFile is empty ("No Matrix"). Empty optional, with the reason in `why`, when the library file
// cannot be read or does not hold exactly 128 numbers.
std::optional<MatrixValues> chosenMatrices(const fs::path& matrixFolder, std::string_view matrixFile, std::string& why);

// The first cell in which the two sets differ, in words ("the non-intra matrix differs at row 3,
// column 5: 24 in the file, 22 chosen"); empty when they are equal.
std::string firstDifference(const MatrixValues& inFile, const MatrixValues& chosen);

// Compares QuantDump's output for a file (its text, as read from the output file) with the chosen
// matrices. An output of the full 60-line layout gives the first and the last matrices the stream
// loads, and both must be the chosen ones; a shorter output that starts with the intra header is a
// stream that keeps the MPEG defaults; QuantDump's error line, an empty output or anything else
// cannot be read. `chosenName` names the choice in the words ("No_Matrix" for the defaults).
MatrixCheck compareDump(std::string_view dumpOutput, const MatrixValues& chosen, std::string_view chosenName);

// The file that keeps a check: NAME.m2v.check beside NAME.m2v.
fs::path checkFileOf(const fs::path& encodedFile);

// Writes the check beside the file, with the file's size and time so that a file encoded again is not
// taken for the one checked. False when it cannot be written.
bool saveCheck(const fs::path& encodedFile, const MatrixCheck& check);

// The check kept beside the file; empty optional when there is none, it cannot be understood, or the
// file has changed since (another size or time).
std::optional<MatrixCheck> savedCheck(const fs::path& encodedFile);

// Reads the encoded file's matrices with QuantDump (found as the extraction window finds it in the
// program folder, run through the runner, its output in the Preview folder and removed afterwards),
// compares them with the chosen matrix file (empty: "No Matrix") of the matrix folder and keeps the
// result beside the file. Never asks or tells the user anything: the result says it all.
MatrixCheck CheckEncodedMatrices(Runner& runner, const fs::path& programFolder, const fs::path& encodedFile,
                                 const fs::path& matrixFolder, std::string_view matrixFile);

} // namespace quire::preview
