// The import's reading of text and byte matrix files: the clean-up, the dump, the 16-line read
// and the bounded reading of source files.
#include "matrix/ImportParser.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace quire;
using namespace quire::importing;
using quire::test::TempFolder;
namespace fs = std::filesystem;

namespace {

// 16 lines of 8 values, value = 8 + cell index, joined by the separator, line end as given.
std::string numberedText(std::string_view separator = " ", std::string_view lineEnd = "\r\n") {
    std::string text;
    for (int row = 0; row < 16; ++row) {
        for (int col = 0; col < 8; ++col)
            text += (col ? std::string(separator) : std::string()) + std::to_string(8 + row * 8 + col);
        text += lineEnd;
    }
    return text;
}

MatrixCells filled(std::string_view with) {
    MatrixCells cells;
    cells.fill(std::string(with));
    return cells;
}

// Cells from..to-1 hold 8 + (index + shift).
void expectNumbered(const MatrixCells& cells, std::size_t from, std::size_t to, int shift = 0) {
    for (std::size_t i = from; i < to; ++i)
        ASSERT_EQ(cells[i], std::to_string(8 + static_cast<int>(i) + shift)) << "cell " << i;
}

// The text with an insertion after its line number `line` (counted from 1).
std::string afterLine(std::string text, int line, std::string_view insertion) {
    std::size_t pos = 0;
    for (int i = 0; i < line; ++i)
        pos = text.find("\r\n", pos) + 2;
    text.insert(pos, insertion);
    return text;
}

std::string bytesOf(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

std::string sequenceBytes(std::size_t count, int first = 0) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += static_cast<char>((first + static_cast<int>(i)) % 256);
    return out;
}

std::vector<std::string> folderNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(ImportNormalise, EachReplacementOnceLeftToRightInOrderAndEveryLineEndBecomesCrLf) {
    const std::pair<std::string, std::string> cases[] = {{"8\t 16", "8 16"},
                                                         {"8\t  16", "8 16"},
                                                         {"8\t\t16", "8 16"},
                                                         {"a\r\n\r\nb", "a\r\nb"},
                                                         {"a\r\n\r\n\r\nb", "a\r\n\r\nb"},
                                                         {"a\r\n\r\n\r\n\r\nb", "a\r\n\r\nb"},
                                                         {"8  16", "8 16"},
                                                         {"8   16", "8 16"},
                                                         {"8    16", "8 16"},
                                                         {"8     16", "8  16"},
                                                         {"8      16", "8 16"},
                                                         {"8       16", "8  16"},
                                                         {"8;16", "8 16"},
                                                         {"8; 16", "8 16"},
                                                         {"8;  16", "8 16"},
                                                         {"8;   16", "8 16"},
                                                         {"8,16", "8 16"},
                                                         {"8, 16", "8 16"},
                                                         {"8,  16", "8 16"},
                                                         {"8 ,16", "8  16"},
                                                         {"8 ;16", "8  16"},
                                                         {"8;;16", "8  16"},
                                                         {"8,\t16", "8 16"},
                                                         {"8;,16", "8  16"},
                                                         {"8\r\n", "8\r\n"},
                                                         {"", ""}};
    for (const auto& [in, out] : cases)
        EXPECT_EQ(normalise(in), out) << '"' << in << '"';
    EXPECT_EQ(withCrLf("a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(withCrLf("a\r\r\nb\n\n\r"), "a\r\n\r\nb\r\n\r\n\r\n");
}

TEST(ImportDump, FourCharacterFieldsEightToALine) {
    EXPECT_EQ(byteDump(bytesOf({8, 16, 100, 0, 255, 9, 10, 99})), "   8  16 100   0 255   9  10  99\r\n");
    const std::string dump127 = byteDump(sequenceBytes(127));
    EXPECT_EQ(std::count(dump127.begin(), dump127.end(), '\n'), 15);
    const std::string dump130 = byteDump(sequenceBytes(130));
    EXPECT_EQ(std::count(dump130.begin(), dump130.end(), '\n'), 16);
    EXPECT_EQ(dump130.size(), 16u * 34u);
    EXPECT_EQ(byteDump(sequenceBytes(7)), "");
}

TEST(ImportSplit, SixteenLinesTrimmedAndSplitFewerLinesChangeNothingFewerPiecesLeaveCellsAlone) {
    std::string text, seven;
    for (int row = 0; row < 16; ++row) {
        std::string line;
        for (int col = 0; col < 8; ++col)
            line += (col ? " " : "") + std::to_string(8 + row * 8 + col);
        // One leading TAB, then one leading blank, then one trailing blank go.
        text += (row % 3 == 0 ? "\t " : row % 3 == 1 ? " " : "") + line + (row % 2 ? " " : "") + "\r\n";
        seven += "1 2 3 4 5 6 7\r\n";
    }
    MatrixCells cells = filled("old");
    auto result = splitIntoCells(text, cells);
    EXPECT_EQ(result.outcome, CellsOutcome::Complete);
    EXPECT_EQ(result.cellsFilled, 128u);
    expectNumbered(cells, 0, 128);

    cells = filled("old");
    result = splitIntoCells(numberedText().substr(0, numberedText().rfind("128 ")), cells); // 15 lines
    EXPECT_EQ(result.outcome, CellsOutcome::TooFewLines);
    EXPECT_EQ(result.cellsFilled, 0u);
    EXPECT_EQ(cells, filled("old"));

    result = splitIntoCells(seven, cells);
    EXPECT_EQ(result.outcome, CellsOutcome::Complete);
    EXPECT_EQ(result.cellsFilled, 112u);
    EXPECT_EQ(cells[111] + cells[112], "7old");
}

// Text files: the file's bytes through the whole clean-up and read, as a complete file.
TEST(ImportText, SeparatorsAndLineEndsThatReadAsSingleBlanks) {
    const struct {
        const char* what;
        std::string text;
    } cases[] = {{"blanks, CR LF", numberedText(" ", "\r\n")},
                 {"blanks, LF", numberedText(" ", "\n")},
                 {"blanks, lone CR", numberedText(" ", "\r")},
                 {"commas without blanks", numberedText(",")},
                 {"commas and one blank", numberedText(", ")},
                 {"semicolons and one blank", numberedText("; ")},
                 {"semicolons and two blanks", numberedText(";  ")},
                 {"TAB", numberedText("\t")},
                 {"TAB and a blank", numberedText("\t ")},
                 {"four blanks", numberedText("    ")},
                 {"three blanks", numberedText("   ")},
                 {"no final line end", numberedText().substr(0, numberedText().size() - 2)},
                 {"one blank line between the tables", afterLine(numberedText(), 8, "\r\n")},
                 {"lines after the 16th", numberedText() + "junk ; , words\r\n1 2 3\r\n"}};
    for (const auto& c : cases) {
        MatrixCells cells = filled("old");
        const auto read = parseText(c.text, true, cells);
        EXPECT_TRUE(read.opened);
        EXPECT_FALSE(read.dumpFailed);
        EXPECT_EQ(read.cells.outcome, CellsOutcome::Complete) << c.what;
        EXPECT_EQ(read.cells.cellsFilled, 128u) << c.what;
        expectNumbered(cells, 0, 128);
    }
}

TEST(ImportText, FiveBlanksGiveAnEmptyCellAndShiftTheRest) {
    std::string text = numberedText();
    text.replace(text.find(' '), 1, "     "); // between cells 0 and 1
    MatrixCells cells = filled("old");
    const auto read = parseText(text, true, cells);
    // 129 pieces: the last value no longer fits.
    EXPECT_EQ(read.cells.outcome, CellsOutcome::TooManyValues);
    EXPECT_EQ(cells[0], "8");
    EXPECT_EQ(cells[1], "");
    EXPECT_EQ(cells[2], "9");
    expectNumbered(cells, 2, 128, -1);
}

TEST(ImportText, BlankBeforeCommaShiftsTheValues) {
    MatrixCells cells = filled("old");
    parseText(numberedText(" ,"), true, cells);
    EXPECT_EQ(cells[0], "8");
    EXPECT_EQ(cells[1], "");
    EXPECT_EQ(cells[2], "9");
}

TEST(ImportText, SixteenLinesOfNineValuesFillAllCellsThenFail) {
    std::string text;
    for (int row = 0; row < 16; ++row) {
        for (int col = 0; col < 9; ++col)
            text += (col ? " " : "") + std::to_string(100 + row * 9 + col);
        text += "\r\n";
    }
    MatrixCells cells = filled("old");
    const auto read = parseText(text, true, cells);
    EXPECT_EQ(read.cells.outcome, CellsOutcome::TooManyValues);
    EXPECT_EQ(read.cells.cellsFilled, 128u);
    EXPECT_EQ(cells[0], "100");
    EXPECT_EQ(cells[127], "227");
}

TEST(ImportText, TwoBlankLinesInARowLeaveOneThatShifts) {
    const std::string text = afterLine(numberedText(), 8, "\r\n\r\n");
    MatrixCells cells = filled("old");
    const auto read = parseText(text, true, cells);
    // The kept blank line is the 9th of the 16 lines: 15 value lines, and one empty piece at 64.
    EXPECT_EQ(read.cells.outcome, CellsOutcome::Complete);
    EXPECT_EQ(read.cells.cellsFilled, 121u);
    expectNumbered(cells, 0, 64);
    EXPECT_EQ(cells[64], "");
    expectNumbered(cells, 65, 121, -1);
    EXPECT_EQ(cells[121], "old");
}

TEST(ImportText, WordsAreKeptAsTheyStand) {
    std::string text = numberedText();
    text.replace(0, 1, "eight");
    text.replace(text.find("12"), 2, "0x0C");
    MatrixCells cells = filled("old");
    EXPECT_EQ(parseText(text, true, cells).cells.outcome, CellsOutcome::Complete);
    EXPECT_EQ(cells[0], "eight");
    EXPECT_EQ(cells[4], "0x0C");
}

TEST(ImportText, FifteenLinesWithAFinalLineEndReadTheAppendedEmptyLine) {
    // The line end added after the clean-up makes a 16th, empty line.
    const std::string all = numberedText();
    std::string text = all.substr(0, afterLine(all, 15, "?").find('?'));
    MatrixCells cells = filled("old");
    const auto read = parseText(text, true, cells);
    EXPECT_EQ(read.cells.outcome, CellsOutcome::Complete);
    EXPECT_EQ(read.cells.cellsFilled, 121u);
    EXPECT_EQ(cells[120], "");
    EXPECT_EQ(cells[121], "old");
    // Without the final line end there are only 15 lines.
    text.resize(text.size() - 2);
    MatrixCells untouched = filled("old");
    EXPECT_EQ(parseText(text, true, untouched).cells.outcome, CellsOutcome::TooFewLines);
    EXPECT_EQ(untouched, filled("old"));
}

TEST(ImportText, EmptyAndJunkNeverCrash) {
    MatrixCells cells = filled("old");
    EXPECT_EQ(parseText("", true, cells).cells.outcome, CellsOutcome::TooFewLines);
    EXPECT_EQ(cells, filled("old"));

    std::mt19937 random(42);
    for (int round = 0; round < 50; ++round) {
        std::string junk(4096 + round * 97, '\0');
        for (char& c : junk)
            c = static_cast<char>(random() & 0xFF);
        MatrixCells any = filled("old");
        const auto read = parseText(junk, round % 2 == 0, any);
        EXPECT_LE(read.cells.cellsFilled, 128u);
        if (read.cells.outcome == CellsOutcome::TooFewLines) {
            EXPECT_EQ(any, filled("old"));
        }
    }
}

// Byte files.
TEST(ImportBytes, OneValuePerByteInGridOrder) {
    std::string bytes = sequenceBytes(128, 0);
    bytes[0] = 8;
    bytes[1] = static_cast<char>(200);
    bytes[2] = static_cast<char>(100);
    bytes[127] = static_cast<char>(255);
    MatrixCells cells = filled("old");
    const auto read = parseBytes(bytes, bytes.size(), cells);
    EXPECT_FALSE(read.refused);
    EXPECT_FALSE(read.dumpFailed);
    EXPECT_EQ(read.cells.outcome, CellsOutcome::Complete);
    EXPECT_EQ(cells[0], "8");
    EXPECT_EQ(cells[1], "200");
    EXPECT_EQ(cells[2], "100");
    EXPECT_EQ(cells[3], "3");
    EXPECT_EQ(cells[64], "64");
    EXPECT_EQ(cells[127], "255");
    EXPECT_EQ(read.workingText.substr(0, 14), " 8 200 100 3 4");
}

TEST(ImportBytes, LengthDecidesMessageAndRefusal) {
    const struct {
        std::size_t size;
        bool refused;
        bool dumpFailed;
    } cases[] = {{0, true, false},     {7, true, true},    {120, true, false},  {127, true, true},
                 {128, false, false},  {130, false, true}, {136, false, false}, {129, false, true},
                 {1000, false, false}, {1001, false, true}};
    for (const auto& c : cases) {
        const std::string bytes = sequenceBytes(c.size, 20);
        MatrixCells cells = filled("old");
        const auto read = parseBytes(bytes, bytes.size(), cells);
        EXPECT_TRUE(read.opened);
        EXPECT_EQ(read.refused, c.refused) << c.size;
        EXPECT_EQ(read.dumpFailed, c.dumpFailed) << c.size;
        if (c.refused) {
            EXPECT_EQ(cells, filled("old")) << c.size;
        } else {
            EXPECT_EQ(read.cells.outcome, CellsOutcome::Complete) << c.size;
            for (std::size_t i = 0; i < 128; ++i)
                ASSERT_EQ(cells[i], std::to_string((20 + i) % 256)) << c.size << " cell " << i;
        }
    }
}

TEST(ImportBytes, RawLayoutRoundTrip) {
    MatrixValues values{};
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<int>((i * 7 + 8) % 256);
    const auto bytes = cqmBytes(values);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 128u);
    MatrixCells cells = filled("old");
    parseBytes(*bytes, bytes->size(), cells);
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_EQ(cells[i], std::to_string(values[i]));
    values[5] = 256;
    EXPECT_FALSE(cqmBytes(values));
    values[5] = -1;
    EXPECT_FALSE(cqmBytes(values));
}

// Source files on disk.
TEST(ImportSource, MissingFolderOrUnreadableChangesNothing) {
    TempFolder folder;
    fs::create_directory(folder / "sub.txt");
    for (const auto kind : {SourceKind::Text, SourceKind::Binary}) {
        MatrixCells cells = filled("old");
        EXPECT_FALSE(readSource(folder / "missing.txt", kind, cells).opened);
        EXPECT_FALSE(readSource(folder / "sub.txt", kind, cells).opened);
        EXPECT_EQ(cells, filled("old"));
    }
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
        MatrixCells fromFile = filled("old");
        const auto read = readSource(folder.write("long.txt", content), SourceKind::Text, fromFile);
        MatrixCells whole = filled("old");
        const auto reference = parseText(content, true, whole);
        EXPECT_EQ(read.cells.outcome, CellsOutcome::Complete);
        EXPECT_EQ(reference.cells.outcome, CellsOutcome::Complete);
        EXPECT_EQ(fromFile, whole);
        EXPECT_LE(read.workingText.size(), 2 * kTextReadLimit);
    }
}

TEST(ImportSource, SixteenthLineEndingAcrossTheReadLimitCounts) {
    // Fifteen lines, then a 16th line whose CR is the last byte within the limit and whose LF is
    // the first byte beyond it.
    std::string content;
    for (int row = 0; row < 15; ++row)
        content += "1 2 3 4 5 6 7 8\r\n";
    content += "1 2 3 4 5 6 7 ";
    content.append(kTextReadLimit - 1 - content.size(), 'x');
    content += "\r\n";
    content += std::string(1000, 'y');
    ASSERT_EQ(content[kTextReadLimit - 1], '\r');
    TempFolder folder;
    MatrixCells cells = filled("old");
    const auto read = readSource(folder.write("edge.txt", content), SourceKind::Text, cells);
    EXPECT_EQ(read.cells.outcome, CellsOutcome::Complete);
    EXPECT_EQ(cells[126], "7");
    EXPECT_EQ(cells[127].size(), kTextReadLimit - 1 - (15 * 17 + 14));
}

TEST(ImportSource, LinesBeyondTheReadLimitCountAsMissing) {
    // One line longer than the limit, then the values: the 16 lines do not end within the limit.
    const std::string content = std::string(kTextReadLimit + 10, 'z') + "\r\n" + numberedText();
    TempFolder folder;
    MatrixCells cells = filled("old");
    const auto read = readSource(folder.write("wide.txt", content), SourceKind::Text, cells);
    EXPECT_TRUE(read.opened);
    EXPECT_EQ(read.cells.outcome, CellsOutcome::TooFewLines);
    EXPECT_EQ(cells, filled("old"));
}

TEST(ImportSource, WritesNothingAndKeepsTheWorkingFolder) {
    TempFolder folder;
    folder.write("m.txt", numberedText());
    folder.write("m.cqm", sequenceBytes(131));
    const auto before = folderNames(folder.path());
    const fs::path cwd = fs::current_path();
    MatrixCells cells = filled("old");
    readSource(folder / "m.txt", SourceKind::Text, cells);
    readSource(folder / "m.cqm", SourceKind::Binary, cells);
    EXPECT_EQ(folderNames(folder.path()), before);
    EXPECT_EQ(fs::current_path(), cwd);
}
