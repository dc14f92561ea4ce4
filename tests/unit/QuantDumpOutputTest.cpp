// Reading QuantDump's output by item positions: the end-of-file rules, the five rules that cut
// matrix 1, matrix 2, the files mat1.txt and mat2.txt, the display and the proposed names.
#include "extract/QuantDumpOutput.h"

#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::extract;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;

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
    for (const std::size_t lines : {0, 1, 19, 20, 21, 25, 28, 29, 30, 40, 45, 59, 60, 61})
        EXPECT_EQ(readOutputItems(firstLines(full, lines)).has_value(), lines >= 60) << lines << " lines";
    const std::pair<std::size_t, OutputReach> reaches[] = {{19, OutputReach::EndsBefore20},
                                                           {20, OutputReach::EndsIn30To60},
                                                           {29, OutputReach::EndsIn30To60},
                                                           {59, OutputReach::EndsIn30To60},
                                                           {60, OutputReach::Complete}};
    for (const auto& [count, reach] : reaches)
        EXPECT_EQ(reachOf(count), reach) << count;
    // A last line without its line break still counts; an empty one without it is no line at all.
    const std::string withoutLastBreak = full.substr(0, full.size() - 9);
    EXPECT_TRUE(readOutputItems(withoutLastBreak + "x").has_value());
    EXPECT_FALSE(readOutputItems(withoutLastBreak).has_value());
}

TEST(QuantDumpOutput, TheFiveRulesCutMatrix1AndMatrix2IsBlocks5And6) {
    const struct {
        const char* what;
        std::string text, mat1;
    } cases[] = {
        {"third header Non-Intra: blocks 1 and 3", sixBlocks(kNonIntra, kIntra), rows(1) + rows(3)},
        {"third header Intra, fourth block empty: block 3 then block 2", sixBlocks(kIntra, ""), rows(3) + rows(2)},
        {"third header Intra, fourth block filled: blocks 3 and 4", sixBlocks(kIntra, kNonIntra), rows(3) + rows(4)},
        {"third header neither, line 31 filled: block 4", sixBlocks("junk", kNonIntra), rows(4)},
        {"third header neither, line 31 empty: nothing", sixBlocks("junk", ""), ""},
        // Headers compare as whole strings: a trailing blank is not the header.
        {"third header with a trailing blank", sixBlocks(kNonIntra + " ", kNonIntra), rows(4)}};
    for (const auto& c : cases) {
        const auto items = readOutputItems(c.text);
        ASSERT_TRUE(items) << c.what;
        EXPECT_EQ(matrix1Text(*items), c.mat1) << c.what;
        EXPECT_EQ(matrix2Text(*items), rows(5) + rows(6)) << c.what;
    }
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
    EXPECT_EQ(folder.read("mat1.txt") + folder.read("mat2.txt"), parsed.TempMat1 + parsed.TempMat2);
}

TEST(QuantDumpOutput, ParseSaysWhyThereAreNoMatrices) {
    // Only an output of the standard matrices is reported as such; QuantDump's error line gives its
    // reason, and a missing output the caller's text. No earlier mat1.txt is touched.
    const std::string reason = "It holds no MPEG video sequence header: it is not an MPEG-1 or MPEG-2 video stream.";
    const std::string failed = "QuantDump could not read the matrices of this video stream:\n" + reason;
    const std::string none(kNoCustomMatrices);
    const struct {
        std::optional<std::string> content; // none: no output file
        std::string box;
    } cases[] = {{"QuantDump error: " + reason + "\r\n", failed},
                 {"QuantDump error: " + reason, failed},
                 {"QuantDump error: " + reason + "\nmore\n", failed},
                 {"Note: QuantDump error: " + reason + "\r\n", none},
                 {output({kIntra, kNonIntra}), none},
                 {firstLines(output({kIntra, kNonIntra}), 19), none},
                 {firstLines(output({kIntra, kNonIntra, kIntra, kNonIntra, kIntra}), 45), none},
                 {std::string(), none},
                 {std::string("\x00\xff\x01junk", 7), none},
                 {std::nullopt, "QuantDump wrote no output for this video stream."}};
    for (const auto& c : cases) {
        TempFolder folder;
        folder.write("mat1.txt", "earlier");
        if (c.content)
            folder.write("out.txt", *c.content);
        ScriptedPrompter prompter;
        prompter.expect(c.box);
        const ParsedOutput parsed = ParseQuantDumpOutput(prompter, folder / "out.txt", folder.path(), kNoOutput);
        EXPECT_FALSE(parsed.found()) << c.box;
        EXPECT_EQ(parsed.problem, c.box);
        EXPECT_EQ(parsed.noMatrix + parsed.TempMat1 + folder.read("mat1.txt"), "0earlier");
        EXPECT_EQ(prompter.shown().at(0).title, "Quire");
    }
}

TEST(QuantDumpOutput, DisplayPadsEightsAndNinesAndDropsBlankPairs) {
    const std::string emptyRow = "  \r\n";
    const std::pair<std::string, std::string> cases[] = {
        {"8 16 19 22 26 27 29 34  \r\n", "8 16 19 22 26 27 29 34\r\n"},
        {"16 8 8 9 9 8 16 9  \r\n", "16 08 08 09 09 08 16 09\r\n"},
        {"10 8 8 8 8 8 8 8  \r\n", "10 08 08 08 08 08 08 08\r\n"},
        {"18 98 89 88 99 80 90 8  \r\n", "18 98 89 88 99 80 90 08\r\n"},
        {"a    b   c  \r\n", "ab c\r\n"},
        {repeat(emptyRow, 16), ""},
        {repeat(emptyRow, 17), "\r\n"},
        {repeat(emptyRow, 32), ""},
        // Eight empty rows on each side of a filled row are not a run of sixteen line breaks.
        {repeat(emptyRow, 8) + "16 9 16  \r\n" + repeat(emptyRow, 8),
         repeat("\r\n", 8) + "16 09 16\r\n" + repeat("\r\n", 8)}};
    for (const auto& [raw, shown] : cases)
        EXPECT_EQ(extractedDisplay(raw), shown) << raw;
}

TEST(QuantDumpOutput, ProposedNamesDropTheLastFourCharactersOnlyForAMatrix) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"VTS_01_1.VOB", "_M1", "VTS_01_1_M1"}, {"VTS_01_1.VOB", "_M2", "VTS_01_1_M2"},
        {"Film.mpeg", "_M1", "Film._M1"},       {"Été.m2v", "_M1", "Été_M1"},
        {"Film.évo", "_M1", "Film_M1"},         {"abc", "_M1", "_M1"}};
    for (const auto& [stream, suffix, name] : cases)
        EXPECT_EQ(proposedName(stream, suffix), name);
    const ExtractedMatrix filled = LoadExtractedMatrices(rows(3) + rows(4), "VTS_01_1.VOB", "_M1");
    EXPECT_TRUE(filled.usable());
    EXPECT_EQ(filled.name + "|" + filled.display.substr(0, 6), "VTS_01_1_M1|B3R1\r\n");
    const ExtractedMatrix none = LoadExtractedMatrices(repeat("  \r\n", 16), "VTS_01_1.VOB", "_M2");
    EXPECT_FALSE(none.usable());
    EXPECT_EQ(none.display + none.name, "");
}
