// Reading QuantDump's output: by item positions for the extraction window (the end-of-file rules, the
// five rules that cut matrix 1, matrix 2, mat1.txt and mat2.txt, the display and the proposed names),
// and as the read-back of an encoded file compared with the chosen matrix or the MPEG defaults.
#include "extract/QuantDumpOutput.h"
#include "preview/MatrixCheck.h"

#include "platform/CommandLine.h"
#include "support/RecordingRunner.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace quire;
using namespace quire::extract;
using namespace quire::preview;
using quire::test::RecordingRunner;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;
namespace fs = std::filesystem;

namespace {

const std::string kIntra(kIntraHeader), kNonIntra(kNonIntraHeader);

std::string repeat(const std::string& text, int count) {
    std::string all;
    for (int i = 0; i < count; ++i)
        all += text;
    return all;
}

// The rows of a block "B<block>R<row>", with `end` after each.
std::string rows(int number, const std::string& end = "  \r\n") {
    std::string text;
    for (int row = 1; row <= 8; ++row)
        text += "B" + std::to_string(number) + "R" + std::to_string(row) + end;
    return text;
}

// An output of blocks of ten lines (header, eight rows, an empty line); an empty header gives empty rows.
std::string output(const std::vector<std::string>& headers) {
    std::string text;
    for (std::size_t b = 0; b < headers.size(); ++b)
        text += headers[b] + "\r\n" + (headers[b].empty() ? repeat("\r\n", 8) : rows(int(b) + 1, "\r\n")) + "\r\n";
    return text;
}

std::string firstLines(const std::string& text, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < count; ++i)
        at = text.find("\r\n", at) + 2;
    return text.substr(0, at);
}

// A six-block output whose third and fourth headers are given.
std::string sixBlocks(const std::string& third, const std::string& fourth) {
    return output({kIntra, kNonIntra, third, fourth, kIntra, kNonIntra});
}

// A library matrix: 20 to 147, row by row; in its file, or changed in one cell.
MatrixValues libraryValues() {
    MatrixValues values{};
    std::iota(values.begin(), values.end(), 20);
    return values;
}
// Values `from` to `from + count - 1`, eight to a line, as a .mtx file and QuantDump write them.
std::string mtxText(const MatrixValues& values, std::size_t from = 0, std::size_t count = 128) {
    std::string text;
    for (std::size_t i = from; i < from + count; ++i)
        text += std::to_string(values[i]) + (i % 8 == 7 ? "\r\n" : " ");
    return text;
}
MatrixValues changed(MatrixValues values, std::size_t cell, int value) {
    values[cell] = value;
    return values;
}

// QuantDump's output for a stream: the defaults alone, or the defaults, the first matrices and the last;
// each matrix a block of the header, eight rows of values and an empty line.
std::string dump(const std::optional<MatrixValues>& first = std::nullopt,
                 const std::optional<MatrixValues>& last = std::nullopt) {
    const auto pair = [](const MatrixValues& m) {
        return kIntra + "\r\n" + mtxText(m, 0, 64) + "\r\n" + kNonIntra + "\r\n" + mtxText(m, 64, 64) + "\r\n";
    };
    return pair(mpegDefaultMatrices()) + (first ? pair(*first) + pair(last.value_or(*first)) : "");
}

} // namespace

TEST(QuantDumpOutput, ItemsAndTheEndOfFileRules) {
    // Items are lines without leading blanks, cut at a comma, at any line end.
    std::string text = "  " + kIntra + "\n\t 8 16 19,ignored\r  \r\n";
    for (int i = 4; i <= 60; ++i)
        text += "line" + std::to_string(i) + "\r\n";
    const auto items = readOutputItems(text);
    ASSERT_TRUE(items);
    EXPECT_EQ((*items)[0] + "|" + (*items)[1] + "|" + (*items)[2] + "|" + (*items)[59], kIntra + "|8 16 19||line60");
    // Fewer than 20 lines, or an end while items 21 to 60 are read: no custom matrices.
    const std::string full = sixBlocks(kNonIntra, kNonIntra) + "extra\r\n";
    for (const std::size_t lines : {0, 19, 20, 30, 59, 60, 61})
        EXPECT_EQ(readOutputItems(firstLines(full, lines)).has_value(), lines >= 60) << lines << " lines";
    // A last line without its line break still counts; an empty one without it is no line at all.
    const std::string withoutLastBreak = full.substr(0, full.size() - 9);
    EXPECT_TRUE(readOutputItems(withoutLastBreak + "x").has_value() && !readOutputItems(withoutLastBreak));
}

TEST(QuantDumpOutput, TheFiveRulesCutMatrix1AndMatrix2IsBlocks5And6) {
    const std::pair<std::string, std::string> cases[] = {
        {sixBlocks(kNonIntra, kIntra), rows(1) + rows(3)}, // third header Non-Intra: blocks 1 and 3
        {sixBlocks(kIntra, ""), rows(3) + rows(2)},        // third Intra, fourth block empty: block 3, then 2
        {sixBlocks(kIntra, kNonIntra), rows(3) + rows(4)}, // third Intra, fourth block filled: blocks 3 and 4
        {sixBlocks("junk", kNonIntra), rows(4)},           // third neither, line 31 filled: block 4
        {sixBlocks("junk", ""), ""}};                      // third neither, line 31 empty: nothing
    for (const auto& [text, mat1] : cases) {
        SCOPED_TRACE(&text - &cases[0].first);
        const auto items = readOutputItems(text);
        ASSERT_TRUE(items);
        EXPECT_EQ(matrix1Text(*items), mat1);
        EXPECT_EQ(matrix2Text(*items), rows(5) + rows(6));
    }
    TempFolder folder;
    ScriptedPrompter prompter;
    const auto out = folder.write("VTS_01_1.VOB.txt", sixBlocks(kIntra, kNonIntra));
    const ParsedOutput parsed = ParseQuantDumpOutput(prompter, out, folder.path());
    EXPECT_TRUE(parsed.found());
    EXPECT_EQ(parsed.noMatrix + "|" + parsed.TempMat1 + "|" + parsed.TempMat2,
              "1|" + rows(3) + rows(4) + "|" + rows(5) + rows(6));
    EXPECT_EQ(folder.read("mat1.txt") + folder.read("mat2.txt"), parsed.TempMat1 + parsed.TempMat2);
}

TEST(QuantDumpOutput, ParseSaysWhyThereAreNoMatrices) {
    // Only an output of the standard matrices is reported as such; QuantDump's error line gives its
    // reason, and a missing output the caller's text. No earlier mat1.txt is touched.
    const std::string reason = "It holds no MPEG video sequence header: it is not an MPEG-1 or MPEG-2 video stream.";
    const std::string failed = "QuantDump could not read the matrices of this video stream:\n" + reason;
    const std::string none(kNoCustomMatrices);
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        // no content: no output file
        {"QuantDump error: " + reason + "\r\n", failed},
        {output({kIntra, kNonIntra}), none},
        {std::string(), none},
        {std::nullopt, "QuantDump wrote no output for this video stream."}};
    for (const auto& [content, box] : cases) {
        TempFolder folder;
        folder.write("mat1.txt", "earlier");
        if (content)
            folder.write("out.txt", *content);
        ScriptedPrompter prompter;
        prompter.expect(box);
        const ParsedOutput parsed = ParseQuantDumpOutput(prompter, folder / "out.txt", folder.path(), kNoOutput);
        EXPECT_FALSE(parsed.found()) << box;
        EXPECT_EQ(parsed.problem + "|" + parsed.noMatrix + parsed.TempMat1 + folder.read("mat1.txt"),
                  box + "|0earlier");
        EXPECT_EQ(prompter.shown().at(0).title, "Quire");
    }
}

TEST(QuantDumpOutput, DisplayPadsEightsAndNinesAndDropsBlankPairsProposedNamesDropAnExtension) {
    const std::string emptyRow = "  \r\n";
    const std::pair<std::string, std::string> cases[] = {
        {"8 16 19 22 26 27 29 34  \r\n", "8 16 19 22 26 27 29 34\r\n"},
        {"16 8 8 9 9 8 16 9  \r\n", "16 08 08 09 09 08 16 09\r\n"},
        {"18 98 89 88 99 80 90 8  \r\n", "18 98 89 88 99 80 90 08\r\n"},
        {"a    b   c  \r\n", "ab c\r\n"},
        {repeat(emptyRow, 16), ""},
        {repeat(emptyRow, 17), "\r\n"},
        // Eight empty rows on each side of a filled row are not a run of sixteen line breaks.
        {repeat(emptyRow, 8) + "16 9 16  \r\n" + repeat(emptyRow, 8),
         repeat("\r\n", 8) + "16 09 16\r\n" + repeat("\r\n", 8)}};
    for (const auto& [raw, shown] : cases)
        EXPECT_EQ(extractedDisplay(raw), shown) << raw;

    // The last four characters go only for a matrix.
    const std::tuple<const char*, const char*> names[] = {
        {"Film.mpeg", "Film._M1"}, {"Été.m2v", "Été_M1"}, {"Film.évo", "Film_M1"}, {"abc", "_M1"}};
    for (const auto& [stream, name] : names)
        EXPECT_EQ(proposedName(stream, "_M1"), name);
    const ExtractedMatrix filled = LoadExtractedMatrices(rows(3) + rows(4), "VTS_01_1.VOB", "_M1");
    const ExtractedMatrix none = LoadExtractedMatrices(repeat(emptyRow, 16), "VTS_01_1.VOB", "_M2");
    EXPECT_TRUE(filled.usable() && !none.usable());
    EXPECT_EQ(filled.name + "|" + filled.display.substr(0, 6) + "|" + none.display + none.name,
              "VTS_01_1_M1|B3R1\r\n|");
}

TEST(MatrixCheck, ComparesQuantDumpOutputWithTheChoiceInPlainWords) {
    const MatrixValues lib = libraryValues(), defaults = mpegDefaultMatrices();
    const std::string notLib = "Its matrices are not the chosen ones (Lib): the ";
    const std::string notDefaults = "Its matrices are not the MPEG defaults that \"No Matrix\" asks for: the ";
    const std::string unreadable = "Its matrices could not be read: ";
    const auto Differs = CheckVerdict::Differs, Matches = CheckVerdict::Matches, Unreadable = CheckVerdict::Unreadable;
    std::string cut = dump(lib); // 60 lines whose rows are cut short hold no two whole matrices
    cut.replace(cut.find("20 21 22"), 8, "20 21");
    // What is compared, QuantDump's output, the matrices chosen and their name, and the verdict in words.
    const std::tuple<const char*, std::string, MatrixValues, std::string, CheckVerdict, std::string> cases[] = {
        {"the chosen library matrix", dump(lib), lib, "Lib", Matches, "Its matrices are the chosen ones (Lib)."},
        {"one non-intra cell off (row 3, column 5 is cell 64 + 20)", dump(changed(lib, 84, 24)), changed(lib, 84, 22),
         "Lib", Differs, notLib + "non-intra matrix differs at row 3, column 5: 24 in the file, 22 chosen."},
        {"the last matrices differ", dump(lib, changed(lib, 63, 9)), lib, "Lib", Differs,
         notLib + "intra matrix differs at row 8, column 8: 9 in the file, 83 chosen (in the last "
                  "matrices the file loads)."},
        {"No Matrix on a stream that keeps the defaults", dump(), defaults, "No_Matrix", Matches,
         "Its matrices are the MPEG defaults that \"No Matrix\" asks for."},
        {"custom matrices where No Matrix was chosen", dump(changed(defaults, 127, 17)), defaults, "No_Matrix", Differs,
         notDefaults + "non-intra matrix differs at row 8, column 8: 17 in the file, 16 chosen."},
        {"QuantDump's error line", "QuantDump error: It holds no MPEG video sequence header.\r\n", lib, "Lib",
         Unreadable, unreadable + "QuantDump says: It holds no MPEG video sequence header."},
        {"an empty output", "", lib, "Lib", Unreadable,
         unreadable + "QuantDump wrote no output for this video stream."},
        {"another layout", "garbage\r\n", lib, "Lib", Unreadable,
         unreadable + "QuantDump's output is not in the layout it writes."},
        {"rows cut short", cut, lib, "Lib", Unreadable,
         unreadable + "QuantDump's output does not hold two whole matrices."}};
    for (const auto& [what, dumped, chosen, name, verdict, words] : cases)
        EXPECT_EQ(compareDump(dumped, chosen, name), (MatrixCheck{verdict, words})) << what;
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
    EXPECT_EQ(splitCommandLine(runner.commandLines().at(0)),
              (std::vector<std::string>{(program / "QuantumDump/QuantDump").string(), m2v.string(), output.string()}));
    EXPECT_FALSE(fs::exists(output));
    EXPECT_EQ(savedCheck(m2v), check);
    EXPECT_TRUE(program.read("Preview/Seg_Lib_No_Filter.m2v.check").starts_with("Verdict=matches\r\nSize=5\r\n"));

    // QuantDump that cannot start, or writes nothing; a chosen matrix file that is short or gone; no
    // QuantDump at all; no encoded file. No matrix file chosen: the MPEG defaults.
    const std::string unreadable = "Its matrices could not be read: ";
    const auto words = [&](const fs::path& file, const char* matrix = "") {
        return CheckEncodedMatrices(runner, program.path(), file, program / "Lib", matrix).words;
    };
    runner.answer(RunResult::couldNotStart("No such file or directory"));
    EXPECT_EQ(words(m2v), unreadable + "QuantDump could not be started (No such file or directory).");
    runner.answer(RunResult::ran(1));
    EXPECT_EQ(words(m2v), unreadable + "QuantDump wrote no output for this video stream.");
    EXPECT_EQ(savedCheck(m2v)->verdict, CheckVerdict::Unreadable);
    const std::string saved = program.read("Preview/Seg_Lib_No_Filter.m2v.check"); // a damaged one is no check
    program.write("Preview/Seg_Lib_No_Filter.m2v.check", "Verdict=perhaps" + saved.substr(saved.find("\r\n")));
    EXPECT_FALSE(savedCheck(m2v));
    program.write("Lib/Short.mtx", "8 16 19\r\n");
    EXPECT_EQ(words(m2v, "Short.mtx"), unreadable + "the chosen matrix file Short.mtx does not hold 128 values.");
    EXPECT_EQ(words(m2v, "Gone.mtx"), unreadable + "the chosen matrix file Gone.mtx cannot be read.");
    fs::remove_all(program / "QuantumDump");
    EXPECT_EQ(words(m2v), unreadable + "QuantDump wasn't found in Quire's folder or its 'QuantumDump' folder.");
    EXPECT_EQ(words(program / "Preview/none.m2v"), unreadable + "the encoder wrote no file.");
    EXPECT_EQ(runner.commandLines().size(), 3u);
    // Encoded again: the kept result no longer speaks for it.
    program.write("Preview/Seg_Lib_No_Filter.m2v", "another video");
    EXPECT_FALSE(savedCheck(m2v));
}
