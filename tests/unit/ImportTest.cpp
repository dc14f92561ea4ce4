// The import window's workings: the reading of text and byte matrix files (the clean-up, the dump, the
// 16-line read and the bounded reading of source files), and its browse with the dialog it asks for, the
// fields it fills and the messages it shows.
#include "matrix/ImportBrowse.h"
#include "matrix/ImportParser.h"
#include "support/CellText.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quire;
using namespace quire::importing;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

std::string olds(int count) {
    return count ? "," + repeated("old", count) : "";
}

// The text with an insertion after its line number `line` (counted from 1).
std::string afterLine(std::string text, int line, std::string_view insertion) {
    std::size_t pos = 0;
    for (int i = 0; i < line; ++i)
        pos = text.find("\r\n", pos) + 2;
    text.insert(pos, insertion);
    return text;
}

std::string sequenceBytes(std::size_t count, int first = 0) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += static_cast<char>((first + static_cast<int>(i)) % 256);
    return out;
}

} // namespace

TEST(ImportNormalise, EachReplacementOnceLeftToRightInOrderAndEveryLineEndBecomesCrLf) {
    const std::pair<std::string, std::string> cases[] = {
        {"8\t 16", "8 16"},    {"8\t\t16", "8 16"},   {"8  16", "8 16"},  {"8    16", "8 16"},
        {"8     16", "8  16"}, {"8      16", "8 16"}, {"8; 16", "8 16"},  {"8;   16", "8 16"},
        {"8, 16", "8 16"},     {"8 ,16", "8  16"},    {"8;,16", "8  16"}, {"8\r\n", "8\r\n"}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(normalise(in), out) << '"' << in << '"';
    EXPECT_EQ(normalise("") + normalise("a\r\n\r\nb") + "|" + normalise("a\r\n\r\n\r\nb") + "|" +
                  normalise("a\r\n\r\n\r\n\r\nb"),
              "a\r\nb|a\r\n\r\nb|a\r\n\r\nb");
    EXPECT_EQ(withCrLf("a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(withCrLf("a\r\r\nb\n\n\r"), "a\r\n\r\nb\r\n\r\n\r\n");
}

TEST(ImportDump, FourCharacterFieldsEightToALine) {
    EXPECT_EQ(byteDump("\x08\x10\x64" + std::string(1, '\0') + "\xFF\x09\x0A\x63"),
              "   8  16 100   0 255   9  10  99\r\n");
    // Whole lines of eight only: 127 bytes make 15 lines, 130 make 16.
    EXPECT_EQ(byteDump(sequenceBytes(127)).size() + byteDump(sequenceBytes(130)).size(), 31u * 34u);
    EXPECT_EQ(byteDump(sequenceBytes(7)), "");
}

TEST(ImportSplit, SixteenLinesTrimmedAndSplit) {
    // One leading TAB, then one leading blank, then one trailing blank go.
    MatrixCells cells = filled("old");
    const auto result = splitIntoCells("\t " + numberedText(" ", " \r\n"), cells);
    EXPECT_EQ(std::tuple(result.outcome, result.cellsFilled, joined(cells)),
              std::tuple(CellsOutcome::Complete, std::size_t{128}, seq(8, 128)));
}

// Text files: the file's bytes through the whole clean-up and read, as a complete file.
// Each separator's clean-up is ImportNormalise's test; here one of each kind goes the whole way.
TEST(ImportText, SeparatorsBlankLinesAndShifts) {
    const std::string all = numberedText(), numbered = seq(8, 128);
    std::string nine, fifteen = all.substr(0, afterLine(all, 15, "?").find('?'));
    for (int row = 0; row < 16; ++row)
        nine += seq(100 + row * 9, 9) + "\r\n";
    std::string fiveBlanks = all;
    fiveBlanks.replace(fiveBlanks.find(' '), 1, "     "); // between cells 0 and 1
    const auto C = CellsOutcome::Complete, Many = CellsOutcome::TooManyValues, Few = CellsOutcome::TooFewLines;
    const struct {
        const char* what;
        std::string text;
        CellsOutcome outcome;
        std::size_t filled;
        std::string cells;
    } cases[] = {
        {"blanks, CR LF", all, C, 128, numbered},
        {"commas without blanks", numberedText(","), C, 128, numbered},
        {"no final line end", all.substr(0, all.size() - 2), C, 128, numbered},
        {"lines after the 16th", all + "junk ; , words\r\n1 2 3\r\n", C, 128, numbered},
        // 129 pieces: the last value no longer fits.
        {"five blanks give an empty cell", fiveBlanks, Many, 128, "8,," + seq(9, 126)},
        {"nine values a line", nine, Many, 128, seq(100, 128)},
        // The kept blank line is the 9th of the 16 lines: one empty piece at 64.
        {"two blank lines leave one", afterLine(all, 8, "\r\n\r\n"), C, 121, seq(8, 64) + ",," + seq(72, 56) + olds(7)},
        // The line end added after the clean-up makes a 16th, empty line.
        {"fifteen lines and a line end", fifteen, C, 121, seq(8, 120) + "," + olds(7)},
        {"fifteen lines", fifteen.substr(0, fifteen.size() - 2), Few, 0, "old" + olds(127)}};
    for (const auto& c : cases) {
        MatrixCells cells = filled("old");
        const auto read = parseText(c.text, true, cells);
        EXPECT_EQ(std::tuple(read.opened, read.dumpFailed, read.cells.outcome, read.cells.cellsFilled, joined(cells)),
                  std::tuple(true, false, c.outcome, c.filled, c.cells))
            << c.what;
    }
}

// Byte files: one value per byte in grid order; the length decides message and refusal.
TEST(ImportBytes, OneValuePerByteAndTheLengthDecides) {
    const struct {
        std::size_t size;
        bool refused, dumpFailed;
    } cases[] = {{0, true, false},   {7, true, true},     {127, true, true},  {128, false, false},
                 {129, false, true}, {136, false, false}, {1001, false, true}};
    for (const auto& c : cases) {
        const std::string bytes = sequenceBytes(c.size, 20);
        MatrixCells cells = filled("old");
        const auto read = parseBytes(bytes, bytes.size(), cells);
        const auto outcome = c.refused ? CellsOutcome::TooFewLines : CellsOutcome::Complete;
        EXPECT_EQ(
            std::tuple(read.opened, read.refused, read.dumpFailed, read.cells.outcome, joined(cells)),
            std::tuple(true, c.refused, c.dumpFailed, outcome, c.refused ? "old" + olds(127) : seq(20, 128, true)))
            << c.size;
    }
    MatrixValues values{};
    values[0] = 255;
    EXPECT_EQ(cqmBytes(values), "\xFF" + std::string(127, '\0'));
    values[5] = 256;
    EXPECT_FALSE(cqmBytes(values));
    values[5] = -1;
    EXPECT_FALSE(cqmBytes(values));
}

// Source files on disk.
TEST(ImportSource, MissingUnreadableOrTooWideChangesNothingAndNothingIsWritten) {
    TempFolder folder;
    fs::create_directory(folder / "sub.txt");
    for (const auto kind : {SourceKind::Text, SourceKind::Binary}) {
        MatrixCells cells = filled("old");
        EXPECT_FALSE(readSource(folder / "missing.txt", kind, cells).opened);
        EXPECT_FALSE(readSource(folder / "sub.txt", kind, cells).opened);
        EXPECT_EQ(cells, filled("old"));
    }
    // One line longer than the limit, then the values: the 16 lines do not end within the limit.
    MatrixCells cells = filled("old");
    const fs::path cwd = fs::current_path();
    const auto read =
        readSource(folder.write("wide.txt", std::string(kTextReadLimit + 10, 'z') + "\r\n" + numberedText()),
                   SourceKind::Text, cells);
    EXPECT_TRUE(read.opened);
    EXPECT_EQ(read.cells.outcome, CellsOutcome::TooFewLines);
    EXPECT_EQ(cells, filled("old"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
    EXPECT_EQ(fs::current_path(), cwd);
}

TEST(ImportSource, LongFileReadsItsFirstSixteenLinesAsAWholeReadWould) {
    // A valid matrix followed by far more than the read limit: blank lines first (which the
    // clean-up joins across the point where reading stops), then words.
    for (const std::string_view end : {"\r\n", "\r"}) {
        std::string tail;
        while (tail.size() < kTextReadLimit + 4096)
            tail += std::string(end) + std::string(end) + std::string(end) + "some, words; here" + std::string(end);
        const std::string content = numberedText(", ", end) + tail;
        TempFolder folder;
        MatrixCells fromFile = filled("old"), whole = filled("old");
        const auto read = readSource(folder.write("long.txt", content), SourceKind::Text, fromFile);
        EXPECT_EQ(read.cells.outcome, CellsOutcome::Complete);
        EXPECT_EQ(parseText(content, true, whole).cells.outcome, CellsOutcome::Complete);
        EXPECT_EQ(fromFile, whole);
        EXPECT_LE(read.workingText.size(), 2 * kTextReadLimit);
    }
    // Fifteen lines, then a 16th whose CR is the last byte within the limit and whose LF the first beyond it.
    std::string content;
    for (int row = 0; row < 15; ++row)
        content += "1 2 3 4 5 6 7 8\r\n";
    content += "1 2 3 4 5 6 7 ";
    content.append(kTextReadLimit - 1 - content.size(), 'x');
    content += "\r\n" + std::string(1000, 'y');
    ASSERT_EQ(content[kTextReadLimit - 1], '\r');
    TempFolder folder;
    MatrixCells cells = filled("old");
    EXPECT_EQ(readSource(folder.write("edge.txt", content), SourceKind::Text, cells).cells.outcome,
              CellsOutcome::Complete);
    EXPECT_EQ(cells[126], "7");
    EXPECT_EQ(cells[127].size(), kTextReadLimit - 1 - (15 * 17 + 14));
}

namespace {

std::string rows(int count, int perRow) {
    std::string text;
    for (int row = 0; row < count; ++row) {
        for (int col = 0; col < perRow; ++col)
            text += (col ? "," : "") + std::to_string(10 + row * perRow + col);
        text += "\r\n";
    }
    return text;
}

BrowseFields oldFields() {
    BrowseFields fields;
    fields.txtPath = "old.txt";
    fields.txtMatrixName = "old";
    fields.text1 = "old text";
    fields.cells.fill("old");
    return fields;
}

// The fields a browse leaves: path, name, boxes 0 and 127, the start of the working text.
std::string after(const BrowseFields& f) {
    return f.txtPath + "|" + f.txtMatrixName + "|" + f.cells[0] + "|" + f.cells[127] + "|" + f.text1.substr(0, 8);
}

} // namespace

TEST(ImportBrowse, NameIsTheTitleLessItsLastFourCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"Strong.txt", "Strong"}, {"Ünïcodé€.txt", "Ünïcodé€"}, {"matrix.text", "matrix."}, {"abcd", ""}};
    for (const auto& [title, name] : cases)
        EXPECT_EQ(matrixNameOfTitle(title), name) << title;
}

TEST(ImportBrowse, DialogFollowsTheKindCancelAndUnreadableFilesEndSilently) {
    TempFolder folder;
    ScriptedPrompter prompter;
    prompter.expectFile("").expectFile("").expectFile((folder / "missing.txt").string());
    BrowseFields fields = oldFields();
    EXPECT_FALSE(browse(prompter, SourceKind::Text, fields));
    EXPECT_EQ(after(fields), "|old|old|old|"); // cancel empties the path and working text only
    EXPECT_FALSE(browse(prompter, SourceKind::Binary, fields));
    EXPECT_EQ(prompter.fileDialogTitles(), (std::vector<std::string>{"  Import", "  Import"}));
    EXPECT_EQ(prompter.fileDialogFilterText(), "Text Files *.txt, All Files *.* | CQM XCM Files *.cqm;*.xcm");
    fields = oldFields();
    EXPECT_TRUE(browse(prompter, SourceKind::Text, fields));
    EXPECT_EQ(after(fields), "missing.txt|old|old|old|");
    EXPECT_TRUE(prompter.shown().empty());
}

TEST(ImportBrowse, FilesFillNameBoxesAndWorkingTextInvalidOnesShowTheMessageAndKeepAMixture) {
    const struct {
        const char* what;
        SourceKind kind;
        std::string file, content;
        int messages;
        std::string after;
    } cases[] = {
        {"valid text", SourceKind::Text, "My Matrix.txt", rows(16, 8), 0, "My Matrix.txt|My Matrix|10|137|10 11 12"},
        // The kind chosen in the window decides, not the extension.
        {"byte file read as text", SourceKind::Text, "values.cqm", rows(16, 8), 0, "values.cqm|values|10|137|10 11 12"},
        {"16 lines of 9 values", SourceKind::Text, "nine.txt", rows(16, 9), 1, "nine.txt|nine|10|137|10 11 12"},
        {"14 lines", SourceKind::Text, "short.txt", rows(14, 8), 1, "short.txt|short|old|old|10 11 12"},
        {"127 bytes", SourceKind::Binary, "short.cqm", std::string(127, '\x10'), 1, "short.cqm|old|old|old|"},
        {"130 bytes", SourceKind::Binary, "long.cqm", std::string(130, '\x10'), 1, "long.cqm|long|16|16| 16 16 1"},
        {"128 bytes", SourceKind::Binary, "exact.XCM", std::string(128, '\x10'), 0, "exact.XCM|exact|16|16| 16 16 1"}};
    for (const auto& c : cases) {
        TempFolder folder;
        ScriptedPrompter prompter;
        prompter.expectFile(folder.write(c.file, c.content).string());
        for (int i = 0; i < c.messages; ++i)
            prompter.expect(std::string(kInvalidFile));
        BrowseFields fields = oldFields();
        browse(prompter, c.kind, fields);
        EXPECT_EQ(after(fields), c.after) << c.what;
        EXPECT_EQ(fields.lastFolder, folder.path().string()) << c.what;
        for (const auto& box : prompter.shown())
            EXPECT_EQ(describe(box), "Quire|ok|plain|" + std::string(kInvalidFile));
    }
}
