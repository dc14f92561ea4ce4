// The read-back of an encoded file's matrices: QuantDump's output compared with the chosen matrix or the
// MPEG defaults, the words of each verdict, the check kept beside the file, and the QuantDump run.
#include "preview/MatrixCheck.h"

#include "platform/CommandLine.h"
#include "support/RecordingRunner.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <optional>

using namespace quire;
using namespace quire::preview;
using quire::test::RecordingRunner;
using quire::test::TempFolder;
namespace fs = std::filesystem;

namespace {

// A library matrix: 20 to 147, row by row.
MatrixValues libraryValues() {
    MatrixValues values{};
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = 20 + static_cast<int>(i);
    return values;
}

std::string mtxText(const MatrixValues& values) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i)
        text += std::to_string(values[i]) + (i % 8 == 7 ? "\r\n" : " ");
    return text;
}

// One block of QuantDump's output: the header, eight rows, an empty line.
std::string block(std::string_view header, const MatrixValues& values, std::size_t offset) {
    std::string out = std::string(header) + "\r\n";
    for (std::size_t row = 0; row < 8; ++row) {
        for (std::size_t column = 0; column < 8; ++column)
            out += (column ? " " : "") + std::to_string(values[offset + row * 8 + column]);
        out += "\r\n";
    }
    return out + "\r\n";
}
constexpr std::string_view kIntra = "Luma and Chroma Intra Quant Matrix:";
constexpr std::string_view kNonIntra = "Luma and Chroma Non-Intra Quant Matrix:";

// QuantDump's output for a stream: the defaults alone, or the defaults, the first matrices and the last.
std::string dump(const std::optional<MatrixValues>& first = std::nullopt,
                 const std::optional<MatrixValues>& last = std::nullopt) {
    const MatrixValues& defaults = mpegDefaultMatrices();
    std::string out = block(kIntra, defaults, 0) + block(kNonIntra, defaults, 64);
    if (first)
        out += block(kIntra, *first, 0) + block(kNonIntra, *first, 64) + block(kIntra, last.value_or(*first), 0) +
               block(kNonIntra, last.value_or(*first), 64);
    return out;
}

MatrixValues changed(MatrixValues values, std::size_t cell, int value) {
    values[cell] = value;
    return values;
}

} // namespace

TEST(MatrixCheck, ComparesQuantDumpOutputWithTheChoiceInPlainWords) {
    const MatrixValues lib = libraryValues();
    const MatrixValues& defaults = mpegDefaultMatrices();
    struct Case {
        const char* what;
        std::string output;
        MatrixValues chosen;
        std::string name;
        MatrixCheck expected;
    };
    const Case cases[] = {
        {"the chosen library matrix",
         dump(lib),
         lib,
         "Lib",
         {CheckVerdict::Matches, "Its matrices are the chosen ones (Lib)."}},
        {"one non-intra cell off (row 3, column 5 is cell 64 + 20)",
         dump(changed(lib, 84, 24)),
         changed(lib, 84, 22),
         "Lib",
         {CheckVerdict::Differs, "Its matrices are not the chosen ones (Lib): the non-intra matrix differs at row 3, "
                                 "column 5: 24 in the file, 22 chosen."}},
        {"the last matrices differ",
         dump(lib, changed(lib, 63, 9)),
         lib,
         "Lib",
         {CheckVerdict::Differs,
          "Its matrices are not the chosen ones (Lib): the intra matrix differs at row 8, column "
          "8: 9 in the file, 83 chosen (in the last matrices the file loads)."}},
        {"No Matrix on a stream that keeps the defaults",
         dump(),
         defaults,
         "No_Matrix",
         {CheckVerdict::Matches, "Its matrices are the MPEG defaults that \"No Matrix\" asks for."}},
        {"a library matrix that never went in",
         dump(),
         lib,
         "Lib",
         {CheckVerdict::Differs,
          "Its matrices are not the chosen ones (Lib): the intra matrix differs at row 1, column "
          "1: 8 in the file, 20 chosen."}},
        {"custom matrices where No Matrix was chosen",
         dump(changed(defaults, 127, 17)),
         defaults,
         "No_Matrix",
         {CheckVerdict::Differs, "Its matrices are not the MPEG defaults that \"No Matrix\" asks for: the non-intra "
                                 "matrix differs at row 8, column 8: 17 in the file, 16 chosen."}},
        {"QuantDump's error line",
         "QuantDump error: It holds no MPEG video sequence header.\r\n",
         lib,
         "Lib",
         {CheckVerdict::Unreadable,
          "Its matrices could not be read: QuantDump says: It holds no MPEG video sequence header."}},
        {"an empty output",
         "",
         lib,
         "Lib",
         {CheckVerdict::Unreadable,
          "Its matrices could not be read: QuantDump wrote no output for this video stream."}},
        {"another layout",
         "garbage\r\n",
         lib,
         "Lib",
         {CheckVerdict::Unreadable,
          "Its matrices could not be read: QuantDump's output is not in the layout it writes."}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(compareDump(c.output, c.chosen, c.name), c.expected) << c.what;

    // A 60-line output whose rows are cut short holds no two whole matrices.
    std::string cut = dump(lib);
    cut.replace(cut.find("20 21 22"), 8, "20 21");
    EXPECT_EQ(compareDump(cut, lib, "Lib").verdict, CheckVerdict::Unreadable);
}

TEST(MatrixCheck, ChosenMatricesComeFromTheLibraryOrTheDefaults) {
    TempFolder lib;
    lib.write("Good.mtx", mtxText(libraryValues()));
    lib.write("Short.mtx", "8 16 19\r\n");
    std::string why;
    EXPECT_EQ(chosenMatrices(lib.path(), "Good.mtx", why), libraryValues());
    EXPECT_EQ(chosenMatrices(lib.path(), "", why), mpegDefaultMatrices());
    EXPECT_EQ(mpegDefaultMatrices()[63], 83);
    EXPECT_EQ(mpegDefaultMatrices()[64], 16);
    EXPECT_FALSE(chosenMatrices(lib.path(), "Short.mtx", why));
    EXPECT_EQ(why, "the chosen matrix file Short.mtx does not hold 128 values.");
    EXPECT_FALSE(chosenMatrices(lib.path(), "Gone.mtx", why));
    EXPECT_EQ(why, "the chosen matrix file Gone.mtx cannot be read.");
}

TEST(MatrixCheck, KeptBesideTheFileUntilTheFileChanges) {
    TempFolder preview;
    const fs::path m2v = preview.write("Seg_Lib_No_Filter.m2v", "video");
    EXPECT_FALSE(savedCheck(m2v));
    const MatrixCheck check{CheckVerdict::Differs, "Its matrices are not the chosen ones (Lib): ..."};
    ASSERT_TRUE(saveCheck(m2v, check));
    EXPECT_EQ(checkFileOf(m2v), preview / "Seg_Lib_No_Filter.m2v.check");
    EXPECT_EQ(savedCheck(m2v), check);
    EXPECT_TRUE(preview.read("Seg_Lib_No_Filter.m2v.check").starts_with("Verdict=differs\r\nSize=5\r\n"));
    // Encoded again: the old result no longer speaks for it.
    preview.write("Seg_Lib_No_Filter.m2v", "another video");
    EXPECT_FALSE(savedCheck(m2v));
    // A damaged check is no check.
    preview.write("Seg_Lib_No_Filter.m2v.check", "Verdict=perhaps\r\nWords=x\r\n");
    EXPECT_FALSE(savedCheck(m2v));
    // No file, nothing to keep.
    EXPECT_FALSE(saveCheck(preview / "gone.m2v", check));
}

TEST(MatrixCheck, RunsTheProgramsQuantDumpAndKeepsTheResult) {
    TempFolder program;
    program.write("QuantumDump/QuantDump", "");
    program.write("Lib/Lib.mtx", mtxText(libraryValues()));
    const fs::path m2v = program.write("Preview/Seg_Lib_No_Filter.m2v", "video");
    const fs::path output = program / "Preview/Seg_Lib_No_Filter.m2v.quantdump.txt";

    RecordingRunner runner;
    runner.answer([](const std::vector<std::string>& args) {
        quire::test::writeBytes(args.at(2), dump(libraryValues()));
        return RunResult::ran(0);
    });
    const MatrixCheck check = CheckEncodedMatrices(runner, program.path(), m2v, program / "Lib", "Lib.mtx");
    EXPECT_EQ(check, (MatrixCheck{CheckVerdict::Matches, "Its matrices are the chosen ones (Lib)."}));
    ASSERT_EQ(runner.commandLines().size(), 1u);
    EXPECT_EQ(splitCommandLine(runner.commandLines()[0]),
              (std::vector<std::string>{(program / "QuantumDump/QuantDump").string(), m2v.string(), output.string()}));
    EXPECT_EQ(runner.styles()[0], WindowStyle::Minimised);
    EXPECT_FALSE(fs::exists(output));
    EXPECT_EQ(savedCheck(m2v), check);

    // QuantDump that cannot start, or writes nothing; no QuantDump at all; no encoded file.
    runner.answer(RunResult::couldNotStart("No such file or directory"));
    EXPECT_EQ(CheckEncodedMatrices(runner, program.path(), m2v, program / "Lib", "").words,
              "Its matrices could not be read: QuantDump could not be started (No such file or directory).");
    runner.answer(RunResult::ran(1));
    EXPECT_EQ(CheckEncodedMatrices(runner, program.path(), m2v, program / "Lib", "").words,
              "Its matrices could not be read: QuantDump wrote no output for this video stream.");
    EXPECT_EQ(savedCheck(m2v)->verdict, CheckVerdict::Unreadable);
    fs::remove_all(program / "QuantumDump");
    EXPECT_EQ(CheckEncodedMatrices(runner, program.path(), m2v, program / "Lib", "").words,
              "Its matrices could not be read: QuantDump wasn't found in Quire's folder or its 'QuantumDump' folder.");
    EXPECT_EQ(CheckEncodedMatrices(runner, program.path(), program / "Preview/none.m2v", program / "Lib", "").words,
              "Its matrices could not be read: the encoder wrote no file.");
    EXPECT_EQ(runner.commandLines().size(), 3u);
}
