// Reading QuantDump's output by item positions: the end-of-file rules, the five rules that cut
// matrix 1, matrix 2, the files mat1.txt and mat2.txt, the display and the proposed names.
#include "extract/QuantDumpOutput.h"

#include "platform/Text1252.h"

#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::extract;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;

namespace {

const std::string kIntra(kIntraHeader);
const std::string kNonIntra(kNonIntraHeader);

// One block of ten lines: the header, eight rows "B<block>R<row>" (or empty rows), an empty line.
std::vector<std::string> block(int number, const std::string& header, bool emptyRows = false) {
    std::vector<std::string> lines{header};
    for (int row = 1; row <= 8; ++row)
        lines.push_back(emptyRows ? std::string() : "B" + std::to_string(number) + "R" + std::to_string(row));
    lines.emplace_back();
    return lines;
}

// The output text of the blocks, CR LF after every line.
std::string output(const std::vector<std::vector<std::string>>& blocks, std::size_t keepLines = 1000) {
    std::string text;
    std::size_t count = 0;
    for (const auto& b : blocks)
        for (const auto& line : b)
            if (count++ < keepLines)
                text += line + "\r\n";
    return text;
}

// The rows of a block as mat1.txt and mat2.txt hold them.
std::string rows(int number, int first = 1, int last = 8) {
    std::string text;
    for (int row = first; row <= last; ++row)
        text += "B" + std::to_string(number) + "R" + std::to_string(row) + "  \r\n";
    return text;
}

std::string breaks(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "\r\n";
    return text;
}

std::string emptyRows(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "  \r\n";
    return text;
}

// A six-block output whose third and fourth headers are given.
std::string sixBlocks(const std::string& third, const std::string& fourth, bool fourthEmpty = false) {
    return output({block(1, kIntra), block(2, kNonIntra), block(3, third), block(4, fourth, fourthEmpty),
                   block(5, kIntra), block(6, kNonIntra)});
}

std::string mat1Of(const std::string& text) {
    const auto items = readOutputItems(text);
    return items ? matrix1Text(*items) : "(no items)";
}

} // namespace

TEST(QuantDumpOutput, ItemsAreLinesWithoutLeadingBlanksCutAtACommaAnyLineEnd) {
    std::string text = "  " + kIntra + "\n\t 8 16 19,ignored\r  \r\n";
    for (int i = 4; i <= 60; ++i)
        text += "line" + std::to_string(i) + "\r\n";
    const auto items = readOutputItems(text);
    ASSERT_TRUE(items);
    EXPECT_EQ((*items)[0], kIntra);
    EXPECT_EQ((*items)[1], "8 16 19");
    EXPECT_EQ((*items)[2], "");
    EXPECT_EQ((*items)[59], "line60");
}

TEST(QuantDumpOutput, EndOfFileRules) {
    // Fewer than 20 lines, or an end while items 30 to 60 are read: no custom matrices. An end while
    // items 21 to 29 are read goes on with what was read.
    const std::string full = sixBlocks(kNonIntra, kNonIntra);
    const struct {
        std::size_t lines;
        bool read;
    } cases[] = {{0, false},  {1, false},  {19, false}, {20, false}, {21, false}, {25, false}, {28, false},
                 {29, false}, {30, false}, {40, false}, {45, false}, {59, false}, {60, true},  {61, true}};
    for (const auto& c : cases) {
        std::string text;
        std::size_t count = 0;
        for (const auto& line : quire::text::splitLines(full + "extra\r\n"))
            if (count++ < c.lines)
                text += line + "\r\n";
        EXPECT_EQ(readOutputItems(text).has_value(), c.read) << c.lines << " lines";
    }
    EXPECT_EQ(reachOf(19), OutputReach::EndsBefore20);
    EXPECT_EQ(reachOf(20), OutputReach::EndsIn30To60);
    EXPECT_EQ(reachOf(28), OutputReach::EndsIn30To60);
    EXPECT_EQ(reachOf(29), OutputReach::EndsIn30To60);
    EXPECT_EQ(reachOf(59), OutputReach::EndsIn30To60);
    EXPECT_EQ(reachOf(60), OutputReach::Complete);
    // A last line without its line break still counts; an empty one without it is no line at all.
    const std::string withoutLastBreak = full.substr(0, full.size() - 2);
    EXPECT_TRUE(readOutputItems(withoutLastBreak + "x").has_value());
    EXPECT_FALSE(readOutputItems(withoutLastBreak).has_value());
}

TEST(QuantDumpOutput, EndingWhileItems21To29AreReadFindsTheEndAtItem30) {
    // 25 lines: the chunk 21-29 passes, the chunk 30-40 starts at the end of the text.
    EXPECT_FALSE(readOutputItems(output({block(1, kIntra), block(2, kNonIntra), block(3, kNonIntra)}, 25)));
    // 20 lines, the default matrices only: the stream uses the standard matrices.
    EXPECT_FALSE(readOutputItems(output({block(1, kIntra), block(2, kNonIntra)})));
}

TEST(QuantDumpOutput, TheFiveRulesCutMatrix1) {
    const struct {
        const char* what;
        std::string text;
        std::string mat1;
    } cases[] = {
        {"third header Non-Intra: blocks 1 and 3", sixBlocks(kNonIntra, kIntra), rows(1) + rows(3)},
        {"third header Intra, fourth block empty: block 3 then block 2", sixBlocks(kIntra, "", true),
         rows(3) + rows(2)},
        {"third header Intra, fourth block filled: blocks 3 and 4", sixBlocks(kIntra, kNonIntra), rows(3) + rows(4)},
        {"third header neither, line 31 filled: block 4", sixBlocks("junk", kNonIntra), rows(4)},
        {"third header neither, line 31 empty: nothing", sixBlocks("junk", "", true), ""},
        // Headers compare as whole strings: a trailing blank is not the header.
        {"third header with a trailing blank", sixBlocks(kNonIntra + " ", kNonIntra), rows(4)}};
    for (const auto& c : cases)
        EXPECT_EQ(mat1Of(c.text), c.mat1) << c.what;
}

TEST(QuantDumpOutput, Matrix2IsBlocks5And6) {
    const auto items = readOutputItems(sixBlocks(kNonIntra, kIntra));
    ASSERT_TRUE(items);
    EXPECT_EQ(matrix2Text(*items), rows(5) + rows(6));
}

TEST(QuantDumpOutput, ParseWritesMat1AndMat2) {
    TempFolder folder;
    const auto out = folder.write("VTS_01_1.VOB.txt", sixBlocks(kIntra, kNonIntra));
    ScriptedPrompter prompter;
    const ParsedOutput parsed = ParseQuantDumpOutput(prompter, out, folder.path());
    EXPECT_TRUE(parsed.found());
    EXPECT_EQ(parsed.noMatrix, "1");
    EXPECT_EQ(parsed.TempMat1, rows(3) + rows(4));
    EXPECT_EQ(parsed.TempMat2, rows(5) + rows(6));
    EXPECT_EQ(folder.read("mat1.txt"), parsed.TempMat1);
    EXPECT_EQ(folder.read("mat2.txt"), parsed.TempMat2);
}

TEST(QuantDumpOutput, ParseReportsOutputsWithoutCustomMatrices) {
    TempFolder folder;
    const std::string shortOutput = output({block(1, kIntra), block(2, kNonIntra)}, 19);
    const std::string endsAt45 =
        output({block(1, kIntra), block(2, kNonIntra), block(3, kIntra), block(4, kNonIntra), block(5, kIntra)}, 45);
    folder.write("mat1.txt", "earlier");
    for (const std::string& content : {shortOutput, endsAt45, std::string(), std::string("\x00\xff\x01junk", 7)}) {
        folder.write("out.txt", content);
        ScriptedPrompter prompter;
        prompter.expect(std::string(kNoCustomMatrices));
        const ParsedOutput parsed = ParseQuantDumpOutput(prompter, folder / "out.txt", folder.path());
        EXPECT_FALSE(parsed.found());
        EXPECT_EQ(parsed.noMatrix, "0");
        EXPECT_EQ(parsed.TempMat1, "");
        EXPECT_EQ(prompter.shown().at(0).title, "Quire");
    }
    EXPECT_EQ(folder.read("mat1.txt"), "earlier");
    ScriptedPrompter prompter;
    prompter.expect(std::string(kNoCustomMatrices));
    EXPECT_FALSE(ParseQuantDumpOutput(prompter, folder / "missing.txt", folder.path()).found());
}

TEST(QuantDumpOutput, ParseSaysWhyThereAreNoMatrices) {
    // Only an output of the standard matrices is reported as such; QuantDump's error line gives its
    // reason, and a missing output the caller's text.
    const std::string reason = "It holds no MPEG video sequence header: it is not an MPEG-1 or MPEG-2 video stream.";
    const std::string failed = "QuantDump could not read the matrices of this video stream:\n" + reason;
    const struct {
        std::optional<std::string> content; // none: no output file
        std::string box;
    } cases[] = {
        {"QuantDump error: " + reason + "\r\n", failed},
        {"QuantDump error: " + reason, failed},
        {"QuantDump error: " + reason + "\nmore\n", failed},
        {"Note: QuantDump error: " + reason + "\r\n", std::string(kNoCustomMatrices)},
        {output({block(1, kIntra), block(2, kNonIntra)}), std::string(kNoCustomMatrices)},
        {std::nullopt, "QuantDump wrote no output for this video stream."},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        if (c.content)
            folder.write("out.txt", *c.content);
        ScriptedPrompter prompter;
        prompter.expect(c.box);
        const ParsedOutput parsed = ParseQuantDumpOutput(prompter, folder / "out.txt", folder.path(), kNoOutput);
        EXPECT_FALSE(parsed.found());
        EXPECT_EQ(parsed.problem, c.box);
    }
}

TEST(QuantDumpOutput, DisplayPadsEightsAndNinesAndDropsBlankPairs) {
    const struct {
        std::string raw;
        std::string shown;
    } cases[] = {{"8 16 19 22 26 27 29 34  \r\n", "8 16 19 22 26 27 29 34\r\n"},
                 {"16 8 8 9 9 8 16 9  \r\n", "16 08 08 09 09 08 16 09\r\n"},
                 {"10 8 8 8 8 8 8 8  \r\n", "10 08 08 08 08 08 08 08\r\n"},
                 {"18 98 89 88 99 80 90 8  \r\n", "18 98 89 88 99 80 90 08\r\n"},
                 {"a    b   c  \r\n", "ab c\r\n"},
                 {emptyRows(16), ""},
                 {emptyRows(17), "\r\n"},
                 {emptyRows(32), ""},
                 // Eight empty rows on each side of a filled row are not a run of sixteen line breaks.
                 {emptyRows(8) + "16 9 16  \r\n" + emptyRows(8), breaks(8) + "16 09 16\r\n" + breaks(8)}};
    for (const auto& c : cases)
        EXPECT_EQ(extractedDisplay(c.raw), c.shown) << c.raw;
}

TEST(QuantDumpOutput, ProposedNamesDropTheLastFourCharacters) {
    EXPECT_EQ(proposedName("VTS_01_1.VOB", "_M1"), "VTS_01_1_M1");
    EXPECT_EQ(proposedName("VTS_01_1.VOB", "_M2"), "VTS_01_1_M2");
    EXPECT_EQ(proposedName("Film.mpeg", "_M1"), "Film._M1");
    EXPECT_EQ(proposedName("Été.m2v", "_M1"), "Été_M1");
    EXPECT_EQ(proposedName("Film.évo", "_M1"), "Film_M1");
    EXPECT_EQ(proposedName("abc", "_M1"), "_M1");
}

TEST(QuantDumpOutput, LoadExtractedMatricesProposesANameOnlyForAMatrix) {
    const ExtractedMatrix filled = LoadExtractedMatrices(rows(3) + rows(4), "VTS_01_1.VOB", "_M1");
    EXPECT_TRUE(filled.usable());
    EXPECT_EQ(filled.name, "VTS_01_1_M1");
    EXPECT_EQ(filled.display.substr(0, 6), "B3R1\r\n");
    const ExtractedMatrix none = LoadExtractedMatrices(emptyRows(16), "VTS_01_1.VOB", "_M2");
    EXPECT_FALSE(none.usable());
    EXPECT_EQ(none.display, "");
    EXPECT_EQ(none.name, "");
}
