// Reading .mtx files into the 128 cells, writing the 16-line layout, and the digit-run reader.
#include "matrix/MatrixFile.h"
#include "support/CellText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::test;

TEST(MatrixRead, LinesSplitAtSingleBlanksIntoTheCellsInRasterOrder) {
    const std::string plain = "08 16 19 22 26 27 29 34", plainCells = "08,16,19,22,26,27,29,34";
    const auto lines = [](const std::string& line, int count) {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += line + "\r\n";
        return text;
    };
    const struct {
        const char* what;
        std::string text;
        bool complete;
        std::size_t filled;
        std::string cells; // read into cells holding "old"
    } cases[] = {{"CR LF", numberedText(), true, 128, seq(8, 128)},
                 {"LF", numberedText(" ", "\n"), true, 128, seq(8, 128)},
                 {"lone CR", numberedText(" ", "\r"), true, 128, seq(8, 128)},
                 {"one trailing blank dropped", lines(plain + " ", 16), true, 128, repeated(plainCells, 16)},
                 {"leading tab dropped", lines("\t" + plain, 16), true, 128, repeated(plainCells, 16)},
                 {"leading tab and trailing blank", lines("\t" + plain + " ", 16), true, 128, repeated(plainCells, 16)},
                 // Two blanks give an empty cell and shift the rest: the file's last value is out of reach.
                 {"two blanks", "08  16 19 22 26 27 29 34\r\n" + lines("1 2 3 4 5 6 7 9", 15), false, 128,
                  "08,," + plainCells.substr(3) + "," + repeated("1,2,3,4,5,6,7,9", 14) + ",1,2,3,4,5,6,7"},
                 // Only a leading tab is dropped; values stay as written.
                 {"values as written", lines("008 8 08 x9 255 1000 -3 \t", 15) + "99 99 99 99 99 99 100 124\r\n", true,
                  128, repeated("008,8,08,x9,255,1000,-3,\t", 15) + ",99,99,99,99,99,99,100,124"},
                 // Eight lines fill the intra table; the non-intra cells keep their text.
                 {"eight lines", lines("10 11 12 13 14 15 16 17", 8), false, 64,
                  repeated("10,11,12,13,14,15,16,17", 8) + "," + repeated("old", 64)},
                 {"empty", "", false, 0, repeated("old", 128)}};
    for (const auto& c : cases) {
        MatrixCells cells = filled("old");
        const auto result = readMatrixText(c.text, cells);
        EXPECT_EQ(result.complete, c.complete) << c.what;
        EXPECT_EQ(result.cellsFilled, c.filled) << c.what;
        EXPECT_EQ(joined(cells), c.cells) << c.what;
    }
}

TEST(MatrixFile, MissingFileChangesNothingJunkNeverCrashesAndWritesReadBack) {
    TempFolder dir;
    MatrixCells cells = filled("keep");
    EXPECT_EQ(readMatrixFile(dir / "nothing.mtx", cells).cellsFilled, 0u);
    EXPECT_EQ(cells, filled("keep"));
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 7919) % 256);
    readMatrixFile(dir.write("junk.mtx", junk), cells);
    readMatrixText(std::string(1024 * 1024, ' '), cells);
    EXPECT_EQ(cells[127], "");

    // Sixteen CR LF lines of single-blank joined cells.
    for (std::size_t i = 0; i < 128; ++i)
        cells[i] = std::to_string(8 + i);
    cells[5] = "";
    ASSERT_TRUE(writeMatrixFile(dir / "m.mtx", cells));
    EXPECT_EQ(dir.read("m.mtx"), numberedText().replace(numberedText().find(" 13 "), 4, "  "));
    MatrixCells back = emptyGrid();
    readMatrixFile(dir / "m.mtx", back);
    EXPECT_EQ(back, cells);
    EXPECT_FALSE(writeMatrixFile(dir / "no" / "m.mtx", emptyGrid()));
}

TEST(MatrixCodes, DigitRunsInOrderExactly128) {
    auto values = ParseMatrixCodes(numberedText());
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
    EXPECT_FALSE(ParseMatrixCodes(numberedText() + "1").has_value());
    EXPECT_FALSE(ParseMatrixCodes(numberedText().substr(0, 20)).has_value());
    EXPECT_FALSE(ParseMatrixCodes("").has_value());
    // A huge digit run does not overflow.
    std::string huge = std::string(40, '9');
    for (int i = 1; i < 128; ++i)
        huge += " 16";
    values = ParseMatrixCodes(huge);
    ASSERT_TRUE(values.has_value());
    EXPECT_GT((*values)[0], 255);

    // A file the viewer shifts still encodes.
    TempFolder dir;
    std::string text = numberedText();
    text.insert(2, "  "); // two extra blanks after the first value
    values = ReadMatrixCodes(dir.write("shifted.mtx", text));
    ASSERT_TRUE(values.has_value());
    EXPECT_EQ((*values)[1], 9);
    EXPECT_FALSE(ReadMatrixCodes(dir / "missing.mtx").has_value());
}
