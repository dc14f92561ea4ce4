// The matrix folder's files: .mtx files read into the 128 cells and written in the 16-line layout,
// the digit-run reader, names that can name a matrix file, the description index, the default set and
// the built-in texts as shipped (each file checked for the shape its readers rely on).
#include "BuiltinResources.h"
#include "app/IniManager.h"
#include "matrix/DefaultSet.h"
#include "matrix/DescriptionIndex.h"
#include "matrix/MatrixFile.h"
#include "matrix/MatrixName.h"
#include "platform/Text1252.h"
#include "support/CellText.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"
#include "ui/Localisation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

// Every line break is CR LF, and the text ends right after its last line (the writer adds one).
bool crLfText(std::string_view bytes) {
    std::string rest(bytes);
    for (auto at = rest.find("\r\n"); at != std::string::npos; at = rest.find("\r\n", at))
        rest.erase(at, 2);
    return rest.find_first_of("\r\n") == std::string::npos && bytes.ends_with("\r\n") && !bytes.ends_with("\r\n\r\n");
}

// "[section]" + key of every key line.
std::set<std::string> keysOf(std::string_view bytes) {
    std::set<std::string> keys;
    std::string section;
    for (const auto& line : text::splitLines(bytes))
        if (line.starts_with("[") && line.ends_with("]"))
            section = line;
        else if (const auto eq = line.find('='); eq != std::string::npos) {
            EXPECT_TRUE(keys.insert(section + line.substr(0, eq)).second) << section << line << " twice";
        }
    return keys;
}

} // namespace

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
                 {"leading tab and trailing blank", lines("\t" + plain + " ", 16), true, 128, repeated(plainCells, 16)},
                 // Two blanks give an empty cell and shift the rest: the file's last value is out of reach.
                 {"two blanks", "08  16 19 22 26 27 29 34\r\n" + lines("1 2 3 4 5 6 7 9", 15), false, 128,
                  "08,," + plainCells.substr(3) + "," + repeated("1,2,3,4,5,6,7,9", 14) + ",1,2,3,4,5,6,7"},
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

TEST(MatrixFile, MissingFileChangesNothingAndWritesReadBack) {
    TempFolder dir;
    MatrixCells cells = filled("keep");
    EXPECT_EQ(readMatrixFile(dir / "nothing.mtx", cells).cellsFilled, 0u);
    EXPECT_EQ(cells, filled("keep"));
    // Binary junk and a megabyte of blanks read without harm.
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
    const auto firstAndLast = [](std::string_view text) {
        const auto values = ParseMatrixCodes(text);
        return values ? std::to_string((*values)[0]) + " " + std::to_string((*values)[127]) : "none";
    };
    // Line structure, separators and blank counts do not matter; a huge digit run does not overflow.
    std::string messy = "intra: 008,", huge = std::string(40, '9');
    for (int i = 1; i < 128; ++i)
        messy += (i % 3 ? ";  " : "\t\r\n") + std::to_string(i), huge += " 16";
    const std::pair<std::string, std::string> cases[] = {{numberedText(), "8 135"},
                                                         {messy, "8 127"},
                                                         {numberedText() + "1", "none"},
                                                         {numberedText().substr(0, 20), "none"},
                                                         {"", "none"},
                                                         {huge, "2147483647 16"}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(firstAndLast(text), expected) << text;
    EXPECT_FALSE(ReadMatrixCodes(TempFolder().path() / "missing.mtx").has_value());
}

TEST(MatrixName, AcceptsOrdinaryNamesRefusesWhatCannotNameAFile) {
    for (const char* name : {"Tamsin's 1CD (1500-2500)", "Été doux", "con artist", "COM10", "LPT0", "x.y"})
        EXPECT_FALSE(matrixNameProblem(name).has_value()) << name;
    for (const char* name : {"", "..", "a/b", "a\\b", "c:x", "what?", "star*", "\"q\"", "<a>", "p|q", "tab\there",
                             "ends.", "ends ", "con", "Nul.txt", "aux ", "COM1", "Ελληνικά", "c1\xC2\x81"})
        EXPECT_TRUE(matrixNameProblem(name).has_value()) << name;
    EXPECT_EQ(*matrixNameProblem("a/b"),
              "The name \"a/b\" can't be used for a matrix file: it holds one of the characters / \\ : * ? \" < > |");
    EXPECT_EQ(*matrixNameProblem(" "), "Please give the matrix a name.");
}

// Names whose description the index would lose: the profile read trims blanks and stops a header at "]".
TEST(MatrixName, NamesWhoseDescriptionTheIndexLosesAreRefused) {
    const std::string lost = "Matrix_Info.ini can't keep its description under a name that starts with a blank or "
                             "holds \"]\".";
    const std::vector<std::pair<std::string, bool>> cases = {
        {"a]b", false}, {"[x]", false}, {" leading", false}, {"[opens", true}, {";semicolon", true}, {"a=b", true}};
    for (const auto& [name, kept] : cases) {
        const std::string refusal = "The name \"" + name + "\" can't be used for a matrix file: " + lost;
        EXPECT_EQ(matrixNameProblem(name), kept ? std::nullopt : std::optional<std::string>(refusal)) << name;
    }
}

TEST(Descriptions, SectionNamesStoredFormsReadWriteAndRemove) {
    EXPECT_EQ(descriptions::sectionName("1-High_High(4000+).mtx"), "1-high_high(4000+).mtx");
    // Typed text is stored on one line.
    EXPECT_EQ(descriptions::oneLine("first\r\nsecond\nthird\rfourth"), "first second third fourth");
    EXPECT_EQ(descriptions::storedInfo1("") + "|" + descriptions::storedInfo1("x"), " |x");

    TempFolder dir;
    descriptions::write(dir / "Matrix_Info.ini", "New One.mtx", " ", "second part");
    EXPECT_EQ(dir.read("Matrix_Info.ini"), "[new one.mtx]\r\nInfo1= \r\nInfo2=second part\r\n");
    dir.write("Matrix_Info.ini", "[my matrix.mtx]\r\nInfo1=Soft\r\nInfo2=for cartoons\r\n"
                                 "[only one.mtx]\r\nInfo1=Alone\r\n[b.mtx]\r\nInfo1=B\r\n");
    const auto d = descriptions::read(dir.path(), "My Matrix.mtx");
    EXPECT_EQ(d.info1 + "|" + d.info2 + "|" + d.shown(), "Soft|for cartoons|Soft for cartoons");
    EXPECT_EQ(descriptions::read(dir.path(), "Only One.mtx").shown() + "|" +
                  descriptions::read(dir.path(), "unknown.mtx").shown(),
              "Alone | ");
    dir.write("Matrix_Info_Custom.ini", "[b.mtx]\r\nInfo1=B\r\n");
    ScriptedPrompter prompter;
    descriptions::remove(prompter, dir.path(), "B.mtx"); // from both files
    EXPECT_EQ(dir.read("Matrix_Info.ini") + "|" + dir.read("Matrix_Info_Custom.ini"),
              "[my matrix.mtx]\r\nInfo1=Soft\r\nInfo2=for cartoons\r\n[only one.mtx]\r\nInfo1=Alone\r\n|");
}

TEST(WriteDefaultMatrices, WritesSixteenFilesRestoringAnEditedPresetAndLeavingUserFilesAlone) {
    TempFolder dir;
    dir.write("4-Medium_High(3200-4000).mtx", "99 99 99 99 99 99 99 99\r\n");
    dir.write("My Own.mtx", "user bytes");
    dir.write("4-medium_high(3200-4000).MTX.bak", "backup");
    EXPECT_EQ(WriteDefaultMatrices(dir.path()), 16);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 18);
    for (const auto name : kDefaultMatrixNames) // sixteen lines of values, then an empty line
        EXPECT_EQ(dir.read(name), std::string(defaultMatrixText(name)) + "\r\n") << name;
    EXPECT_EQ(dir.read("My Own.mtx") + "|" + dir.read("4-medium_high(3200-4000).MTX.bak"), "user bytes|backup");
}

TEST(WriteDefaultMatrices, StopsAtTheFirstFileThatCannotBeWritten) {
    TempFolder dir;
    fs::create_directories(dir / "folder" / kDefaultMatrixNames[4]);
    const fs::path locked = dir.write("locked/" + std::string(kDefaultMatrixNames[1]), "kept");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(WriteDefaultMatrices(dir / "folder"), 4);
    EXPECT_EQ(WriteDefaultMatrices(dir / "locked"), 1);
    EXPECT_EQ(WriteDefaultMatrices(dir / "nowhere"), 0);
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
    EXPECT_EQ(dir.read(locked.lexically_relative(dir.path()).string()), "kept");
}

// Every default description is readable through the INI layer as start-up writes the index.
TEST(DefaultDescriptions, ReadableThroughTheIniLayer) {
    TempFolder dir;
    dir.write("Matrix_Info.ini", defaultMatrixInfo());
    for (const auto name : kDefaultMatrixNames) {
        const auto description = descriptions::read(dir.path(), name);
        EXPECT_GT(description.info1.size(), 20u) << name;
        EXPECT_EQ(description.info1.find('='), std::string::npos) << name;
    }
    // The QuEnc section keeps "QLB" in upper case and is still found by the file name.
    EXPECT_TRUE(descriptions::read(dir.path(), "QuEnc Lower Bitrate (QLB).mtx").info1.starts_with("Made for QuEnc"));
}

TEST(BuiltinTexts, LanguageFilesHoldTheKeysOfEnglishInWindows1252) {
    const auto english = keysOf(*builtinLanguageText("English.lng"));
    EXPECT_EQ(english.size(), 79u);
    for (const auto name : kLanguageFileNames) {
        SCOPED_TRACE(std::string(name));
        const std::string_view bytes = builtinLanguageText(name).value_or("");
        EXPECT_TRUE(crLfText(bytes));
        // The language's own name, an empty line, then the sections.
        EXPECT_EQ(bytes.find("\r\n\r\n[MAIN]\r\n"), bytes.find("\r\n"));
        if (name != "English.lng") { // accented letters are single bytes
            EXPECT_FALSE(text::fromUtf8(bytes).has_value());
        }
        auto expected = english;
        if (name == "Italiano.lng")
            expected.erase("[MESSAGES]MatrixImport");
        EXPECT_EQ(keysOf(bytes), expected);
    }
    EXPECT_FALSE(builtinLanguageText("Klingon.lng").has_value());
}

TEST(BuiltinTexts, DescriptionsAndMatricesReadAsTheirFilesNeed) {
    const std::string_view info = defaultMatrixInfo();
    EXPECT_TRUE(crLfText(info));
    std::set<std::string> sections, matrices;
    for (const auto& key : keysOf(info))
        sections.insert(text::toLower(key.substr(0, key.find(']') + 1)));
    for (const auto name : kDefaultMatrixNames)
        matrices.insert("[" + text::toLower(name) + "]");
    EXPECT_EQ(sections, matrices);

    for (const auto name : kDefaultMatrixNames) {
        SCOPED_TRACE(std::string(name));
        EXPECT_TRUE(crLfText(defaultMatrixText(name)));
        const auto values = ParseMatrixCodes(defaultMatrixText(name));
        ASSERT_TRUE(values.has_value());
        EXPECT_TRUE(std::all_of(values->begin(), values->end(), [](int v) { return v >= 8 && v <= 127; }));
    }
    EXPECT_EQ(defaultMatrixText("Missing.mtx"), "");
}
