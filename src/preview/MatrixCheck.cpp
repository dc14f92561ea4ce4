// Reading an encoded file's matrices back with QuantDump and comparing them with the chosen ones.
#include "MatrixCheck.h"

#include "extract/MatExtLogic.h"
#include "extract/QuantDumpOutput.h"
#include "platform/FileIo.h"
#include "platform/Text1252.h"
#include "preview/RunAndWait.h"
#include "preview/WorkFolders.h"

#include <chrono>
#include <system_error>

namespace quire::preview {
namespace {

constexpr std::string_view kVerdictKey = "Verdict=";
constexpr std::string_view kSizeKey = "Size=";
constexpr std::string_view kTimeKey = "Time=";
constexpr std::string_view kWordsKey = "Words=";
constexpr std::string_view kVerdictWords[] = {"matches", "differs", "unreadable"};

// QuantDump's output is written beside the file and removed once read.
constexpr std::string_view kDumpExtension = ".quantdump.txt";

std::string unreadable(std::string_view why) {
    return "Its matrices could not be read: " + std::string(why);
}

MatrixCheck result(CheckVerdict verdict, std::string words) {
    return MatrixCheck{verdict, std::move(words)};
}

std::string choiceWords(std::string_view chosenName) {
    if (chosenName == kNoMatrixName)
        return "the MPEG defaults that \"No Matrix\" asks for";
    return "the chosen ones (" + std::string(chosenName) + ")";
}

// The size and time that identify the encoded file a check was made for; empty when it is gone.
std::optional<std::pair<std::string, std::string>> stampOf(const fs::path& file) {
    std::error_code sizeError, timeError;
    const auto size = fs::file_size(file, sizeError);
    const auto time = fs::last_write_time(file, timeError);
    if (sizeError || timeError)
        return std::nullopt;
    return std::pair{std::to_string(size), std::to_string(time.time_since_epoch().count())};
}

} // namespace

const MatrixValues& mpegDefaultMatrices() {
    static const MatrixValues values = [] {
        constexpr int kIntra[64] = {8,  16, 19, 22, 26, 27, 29, 34, 16, 16, 22, 24, 27, 29, 34, 37,
                                    19, 22, 26, 27, 29, 34, 34, 38, 22, 22, 26, 27, 29, 34, 37, 40,
                                    22, 26, 27, 29, 32, 35, 40, 48, 26, 27, 29, 32, 35, 40, 48, 58,
                                    26, 27, 29, 34, 38, 46, 56, 69, 27, 29, 35, 38, 46, 56, 69, 83};
        MatrixValues all{};
        for (std::size_t i = 0; i < kMatrixCells; ++i)
            all[i] = i < 64 ? kIntra[i] : 16;
        return all;
    }();
    return values;
}

std::optional<MatrixValues> chosenMatrices(const fs::path& matrixFolder, std::string_view matrixFile,
                                           std::string& why) {
    if (matrixFile.empty())
        return mpegDefaultMatrices();
    const fs::path file = matrixFolder / fileio::textToPath(matrixFile);
    const auto content = fileio::readFile(file);
    if (!content) {
        why = "the chosen matrix file " + std::string(matrixFile) + " cannot be read.";
        return std::nullopt;
    }
    auto values = quire::ParseMatrixCodes(*content);
    if (!values)
        why = "the chosen matrix file " + std::string(matrixFile) + " does not hold 128 values.";
    return values;
}

std::string firstDifference(const MatrixValues& inFile, const MatrixValues& chosen) {
    for (std::size_t i = 0; i < kMatrixCells; ++i) {
        if (inFile[i] == chosen[i])
            continue;
        const std::size_t cell = i % 64;
        return std::string(i < 64 ? "the intra" : "the non-intra") + " matrix differs at row " +
               std::to_string(cell / 8 + 1) + ", column " + std::to_string(cell % 8 + 1) + ": " +
               std::to_string(inFile[i]) + " in the file, " + std::to_string(chosen[i]) + " chosen";
    }
    return {};
}

MatrixCheck compareDump(std::string_view dumpOutput, const MatrixValues& chosen, std::string_view chosenName) {
    if (const auto reason = extract::quantDumpError(dumpOutput))
        return result(CheckVerdict::Unreadable, unreadable("QuantDump says: " + *reason));
    // The first and the last matrices the stream loads; a stream that loads none keeps the defaults.
    std::vector<std::pair<MatrixValues, std::string_view>> loaded;
    if (const auto items = extract::readOutputItems(dumpOutput)) {
        const auto first = quire::ParseMatrixCodes(extract::matrix1Text(*items));
        const auto last = quire::ParseMatrixCodes(extract::matrix2Text(*items));
        if (!first || !last)
            return result(CheckVerdict::Unreadable, unreadable("QuantDump's output does not hold two whole matrices."));
        loaded = {{*first, ""}, {*last, " (in the last matrices the file loads)"}};
    } else {
        const std::vector<std::string> lines = text::splitLines(dumpOutput);
        if (lines.empty() || lines.front() != extract::kIntraHeader)
            return result(CheckVerdict::Unreadable, unreadable(dumpOutput.empty() ? extract::kNoOutput
                                                                                  : "QuantDump's output is not "
                                                                                    "in the layout it writes."));
        loaded = {{mpegDefaultMatrices(), ""}};
    }
    for (const auto& [values, where] : loaded)
        if (const std::string difference = firstDifference(values, chosen); !difference.empty())
            return result(CheckVerdict::Differs, "Its matrices are not " + choiceWords(chosenName) + ": " + difference +
                                                     std::string(where) + ".");
    return result(CheckVerdict::Matches, "Its matrices are " + choiceWords(chosenName) + ".");
}

fs::path checkFileOf(const fs::path& encodedFile) {
    fs::path file = encodedFile;
    file += kCheckExtension;
    return file;
}

bool saveCheck(const fs::path& encodedFile, const MatrixCheck& check) {
    const auto stamp = stampOf(encodedFile);
    if (!stamp)
        return false;
    std::string out;
    for (const std::string_view line :
         {std::string(kVerdictKey) + std::string(kVerdictWords[static_cast<int>(check.verdict)]),
          std::string(kSizeKey) + stamp->first, std::string(kTimeKey) + stamp->second,
          std::string(kWordsKey) + check.words})
        out.append(line).append(text::kCrLf);
    return fileio::writeFileAtomic(checkFileOf(encodedFile), out);
}

std::optional<MatrixCheck> savedCheck(const fs::path& encodedFile) {
    const auto stamp = stampOf(encodedFile);
    const auto content = fileio::readFile(checkFileOf(encodedFile));
    if (!stamp || !content)
        return std::nullopt;
    std::optional<CheckVerdict> verdict;
    std::string size, time, words;
    for (const std::string& line : text::splitLines(*content)) {
        const std::string_view view = line;
        if (view.starts_with(kVerdictKey)) {
            for (int v = 0; v < 3; ++v)
                if (view.substr(kVerdictKey.size()) == kVerdictWords[v])
                    verdict = static_cast<CheckVerdict>(v);
        } else if (view.starts_with(kSizeKey)) {
            size = line.substr(kSizeKey.size());
        } else if (view.starts_with(kTimeKey)) {
            time = line.substr(kTimeKey.size());
        } else if (view.starts_with(kWordsKey)) {
            words = line.substr(kWordsKey.size());
        }
    }
    if (!verdict || words.empty() || size != stamp->first || time != stamp->second)
        return std::nullopt;
    return MatrixCheck{*verdict, words};
}

MatrixCheck CheckEncodedMatrices(Runner& runner, const fs::path& programFolder, const fs::path& encodedFile,
                                 const fs::path& matrixFolder, std::string_view matrixFile) {
    const std::string name =
        matrixFile.empty() ? std::string(kNoMatrixName)
                           : std::string(matrixFile.substr(0, matrixFile.size() >= 4 ? matrixFile.size() - 4 : 0));
    MatrixCheck check;
    std::string why;
    const auto chosen = chosenMatrices(matrixFolder, matrixFile, why);
    const extract::QuantDumpLookup lookup = extract::findQuantDump(programFolder);
    if (!fileio::isRegularFile(encodedFile)) {
        check = result(CheckVerdict::Unreadable, unreadable("the encoder wrote no file."));
    } else if (!chosen) {
        check = result(CheckVerdict::Unreadable, unreadable(why));
    } else if (!lookup.found) {
        check = result(CheckVerdict::Unreadable,
                       unreadable("QuantDump wasn't found in Quire's folder or its 'QuantumDump' folder."));
    } else {
        const fs::path program =
            lookup.folderMissing ? extract::quantDumpFallback(programFolder) : extract::quantDumpProgram(programFolder);
        fs::path output = encodedFile;
        output += kDumpExtension;
        const RunResult run =
            RunAndWait(runner, extract::quantDumpCommandLine(program, encodedFile, output), kCheckShellMode);
        const auto dump = fileio::readFile(output);
        std::error_code ignored;
        fs::remove(output, ignored);
        if (!run.started())
            check = result(CheckVerdict::Unreadable,
                           unreadable("QuantDump could not be started (" +
                                      text::fromUtf8(run.description).value_or(run.description) + ")."));
        else if (!dump)
            check = result(CheckVerdict::Unreadable, unreadable(extract::kNoOutput));
        else
            check = compareDump(*dump, *chosen, name);
    }
    saveCheck(encodedFile, check);
    return check;
}

} // namespace quire::preview
