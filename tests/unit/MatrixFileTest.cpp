// Reading .mtx files into the 128 cells, writing the 16-line layout, and the digit-run reader.
#include "matrix/MatrixFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using quire::test::TempFolder;

namespace {

// 16 lines of "r0 r1 ... r7" where every value is 8 + cell index, line end as given.
std::string numberedMatrix(std::string_view lineEnd = "\r\n") {
    std::string text;
    for (int row = 0; row < 16; ++row) {
        for (int col = 0; col < 8; ++col)
            text += (col ? " " : "") + std::to_string(8 + row * 8 + col);
        text += lineEnd;
    }
    return text;
}

MatrixCells filled(std::string_view with) {
    MatrixCells cells;
    cells.fill(std::string(with));
    return cells;
}

} // namespace

TEST(MatrixRead, FillsAll128CellsInRasterOrder) {
    for (const std::string_view end : {"\r\n", "\n", "\r"}) {
        MatrixCells cells = emptyGrid();
        const auto result = readMatrixText(numberedMatrix(end), cells);
        EXPECT_TRUE(result.complete);
        EXPECT_EQ(result.cellsFilled, 128u);
        for (std::size_t i = 0; i < 128; ++i)
            ASSERT_EQ(cells[i], std::to_string(8 + i)) << "cell " << i;
    }
}

TEST(MatrixRead, LeadingTabAndOneTrailingBlankAreDropped) {
    const std::string plain = "08 16 19 22 26 27 29 34";
    for (const std::string& line : {plain, plain + " ", "\t" + plain, "\t" + plain + " "}) {
        std::string text;
        for (int i = 0; i < 16; ++i)
            text += line + "\r\n";
        MatrixCells cells = emptyGrid();
        EXPECT_TRUE(readMatrixText(text, cells).complete) << line;
        EXPECT_EQ(cells[0], "08");
        EXPECT_EQ(cells[7], "34");
        EXPECT_EQ(cells[127], "34");
    }
}

TEST(MatrixRead, TwoBlanksGiveAnEmptyCellAndShiftTheRest) {
    std::string text = "08  16 19 22 26 27 29 34\r\n";
    for (int i = 1; i < 16; ++i)
        text += "1 2 3 4 5 6 7 9\r\n";
    MatrixCells cells = filled("old");
    const auto result = readMatrixText(text, cells);
    EXPECT_EQ(cells[0], "08");
    EXPECT_EQ(cells[1], "");
    EXPECT_EQ(cells[2], "16");
    EXPECT_EQ(cells[8], "34");
    EXPECT_EQ(cells[127], "7"); // the file's last value is out of reach
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.cellsFilled, 128u);
}

TEST(MatrixRead, ValuesAreKeptAsWritten) {
    std::string text;
    for (int i = 0; i < 15; ++i)
        text += "008 8 08 x9 255 1000 -3 \t\r\n";
    text += "99 99 99 99 99 99 100 124\r\n";
    MatrixCells cells = emptyGrid();
    readMatrixText(text, cells);
    EXPECT_EQ(cells[0], "008");
    EXPECT_EQ(cells[1], "8");
    EXPECT_EQ(cells[2], "08");
    EXPECT_EQ(cells[3], "x9");
    EXPECT_EQ(cells[6], "-3");
    EXPECT_EQ(cells[7], "\t"); // only a leading tab is dropped
    EXPECT_EQ(cells[126], "100");
    EXPECT_EQ(cells[127], "124");
}

TEST(MatrixRead, ShortFilesFillWhatTheyReach) {
    // Eight lines fill the intra table; the non-intra cells keep their text.
    std::string eight;
    for (int i = 0; i < 8; ++i)
        eight += "10 11 12 13 14 15 16 17\r\n";
    MatrixCells cells = filled("000");
    auto result = readMatrixText(eight, cells);
    EXPECT_FALSE(result.complete);
    EXPECT_EQ(result.cellsFilled, 64u);
    EXPECT_EQ(cells[63], "17");
    EXPECT_EQ(cells[64], "000");

    cells = filled("keep");
    result = readMatrixText("", cells);
    EXPECT_EQ(result.cellsFilled, 0u);
    EXPECT_EQ(cells[0], "keep");
}

TEST(MatrixRead, MissingFileChangesNothingAndJunkNeverCrashes) {
    TempFolder dir;
    MatrixCells cells = filled("keep");
    EXPECT_EQ(readMatrixFile(dir / "nothing.mtx", cells).cellsFilled, 0u);
    EXPECT_EQ(cells[5], "keep");

    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 7919) % 256);
    readMatrixFile(dir.write("junk.mtx", junk), cells);
    readMatrixText(std::string(1024 * 1024, ' '), cells);
    EXPECT_EQ(cells[127], "");
}

TEST(MatrixWrite, SixteenCrLfLinesOfSingleBlankJoinedCells) {
    TempFolder dir;
    MatrixCells cells;
    for (std::size_t i = 0; i < 128; ++i)
        cells[i] = std::to_string(8 + i);
    cells[5] = "";
    ASSERT_TRUE(writeMatrixFile(dir / "m.mtx", cells));
    const std::string written = dir.read("m.mtx");
    EXPECT_TRUE(written.starts_with("8 9 10 11 12  14 15\r\n16 17 "));
    EXPECT_TRUE(written.ends_with("128 129 130 131 132 133 134 135\r\n"));
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 16);

    MatrixCells back = emptyGrid();
    readMatrixFile(dir / "m.mtx", back);
    EXPECT_EQ(back[5], "");
    EXPECT_EQ(back[6], "14");
}

TEST(MatrixWrite, MissingFolderFails) {
    TempFolder dir;
    EXPECT_FALSE(writeMatrixFile(dir / "no" / "m.mtx", emptyGrid()));
}

TEST(MatrixCodes, DigitRunsInOrderExactly128) {
    auto values = ParseMatrixCodes(numberedMatrix());
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ((*values)[0], 8);
    EXPECT_EQ((*values)[127], 135);

    // Line structure, separators and blank counts do not matter.
    std::string messy = "intra: 008,";
    for (int i = 1; i < 128; ++i)
        messy += (i % 3 ? ";  " : "\t\r\n") + std::to_string(i);
    values = ParseMatrixCodes(messy);
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ((*values)[0], 8);
    EXPECT_EQ((*values)[127], 127);

    EXPECT_FALSE(ParseMatrixCodes(numberedMatrix() + "1").has_value());
    EXPECT_FALSE(ParseMatrixCodes(numberedMatrix().substr(0, 20)).has_value());
    EXPECT_FALSE(ParseMatrixCodes("").has_value());
}

TEST(MatrixCodes, AFileTheViewerShiftsStillEncodes) {
    TempFolder dir;
    std::string text = numberedMatrix();
    text.insert(2, "  "); // two extra blanks after the first value
    const auto values = ReadMatrixCodes(dir.write("shifted.mtx", text));
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ((*values)[1], 9);
    EXPECT_FALSE(ReadMatrixCodes(dir / "missing.mtx").has_value());
}

TEST(MatrixCodes, HugeDigitRunDoesNotOverflow) {
    std::string text = std::string(40, '9');
    for (int i = 1; i < 128; ++i)
        text += " 16";
    const auto values = ParseMatrixCodes(text);
    ASSERT_TRUE(values.has_value());
    EXPECT_GT((*values)[0], 255);
}
