// The save sequences of the new-matrix, edit and import windows, question by question, with the
// files they leave byte for byte; their refusals; the edit window's loading of a matrix file.
#include "matrix/MatrixSave.h"

#include "support/RecordingMainView.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"
#include "ui/Localisation.h"

#include <gtest/gtest.h>

#include <set>

using namespace quire;
using namespace quire::editor;
using quire::test::RecordingMainView;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;
namespace fs = std::filesystem;

namespace {

const std::string kNoName = "You must give a name to your Matrix!";
const std::string kFirstIntra =
    "Some DVD players may not play the resulting files if the first INTRA value isn't \"8\"!";
const std::string kExists = "This matrix already exists! Do you want to overwrite it?";
const std::string kCreated = "Your new Matrix has been created!";
const std::string kSaved = "Your Matrix has been saved!";

std::string newQuestion(const std::string& name) {
    return "Are you sure that you want\n\nto create a new Matrix called '" + name + "'?";
}
// The language file's text ends in a blank, which the profile lookup trims.
std::string replaceQuestion(const std::string& name) {
    return "Are you sure that you want to replace the Matrix'" + name +
           "' ?\n\nIf you want to create a new one, just give it a different name.";
}

const std::string kInfo = "[1-high_high(4000+).mtx]\r\nInfo1=High\r\nInfo2=More\r\n";

// Boxes 8, 9, ... 135 and the file they make.
MatrixCells counting() {
    MatrixCells boxes;
    for (std::size_t i = 0; i < kMatrixCells; ++i)
        boxes[i] = std::to_string(8 + i);
    return boxes;
}
const std::string kCountingFile = "8 9 10 11 12 13 14 15\r\n"
                                  "16 17 18 19 20 21 22 23\r\n"
                                  "24 25 26 27 28 29 30 31\r\n"
                                  "32 33 34 35 36 37 38 39\r\n"
                                  "40 41 42 43 44 45 46 47\r\n"
                                  "48 49 50 51 52 53 54 55\r\n"
                                  "56 57 58 59 60 61 62 63\r\n"
                                  "64 65 66 67 68 69 70 71\r\n"
                                  "72 73 74 75 76 77 78 79\r\n"
                                  "80 81 82 83 84 85 86 87\r\n"
                                  "88 89 90 91 92 93 94 95\r\n"
                                  "96 97 98 99 100 101 102 103\r\n"
                                  "104 105 106 107 108 109 110 111\r\n"
                                  "112 113 114 115 116 117 118 119\r\n"
                                  "120 121 122 123 124 125 126 127\r\n"
                                  "128 129 130 131 132 133 134 135\r\n";

// A box as "title|buttons|icon|text", so that a whole dialogue compares at once.
std::string describe(const quire::test::ShownBox& box) {
    const char* buttons = box.buttons == PromptButtons::Ok         ? "ok"
                          : box.buttons == PromptButtons::OkCancel ? "okcancel"
                                                                   : "other";
    const char* icon = box.icon == PromptIcon::None          ? "plain"
                       : box.icon == PromptIcon::Question    ? "question"
                       : box.icon == PromptIcon::Exclamation ? "exclamation"
                                                             : "other";
    return box.title + "|" + buttons + "|" + icon + "|" + box.text;
}

class MatrixSaveTest : public ::testing::Test {
protected:
    MatrixSaveTest() {
        ScriptedPrompter quiet;
        WriteLanguageFiles(quiet, program.path());
        fs::create_directories(program / "Lib");
        program.write("Lib/Matrix_Info.ini", kInfo);
        program.write("Lib/Matrix_Info_Custom.ini", "");
        state.txtLang = "English.lng";
        state.txtPath = (program / "Lib").string();
        state.mainView = &mainView;
    }

    std::vector<std::string> dialogue() const {
        std::vector<std::string> out;
        for (const auto& box : prompter.shown())
            out.push_back(describe(box));
        return out;
    }
    std::string info() const { return program.read("Lib/Matrix_Info.ini"); }
    std::string custom() const { return program.read("Lib/Matrix_Info_Custom.ini"); }
    std::string matrix(const std::string& fileName) const { return program.read("Lib/" + fileName); }
    std::set<std::string> libraryFiles() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(program / "Lib"))
            names.insert(entry.path().filename().string());
        return names;
    }

    TempFolder program;
    ScriptedPrompter prompter;
    RecordingMainView mainView;
    SharedState state{program.path(), prompter};
};

SaveFields fields(std::string name, std::string line1 = "First", std::string line2 = "Second") {
    SaveFields f;
    f.name = std::move(name);
    f.line1 = std::move(line1);
    f.text1 = f.line1;
    f.line2 = std::move(line2);
    return f;
}

} // namespace

// --- The new-matrix window.

TEST_F(MatrixSaveTest, NewMatrixAsksTheNewMatrixQuestionThenWritesEverything) {
    prompter.expect(newQuestion("Mine")).expect(kCreated);
    SaveFields f = fields("Mine", "Soft\r\nand clean", "for 3000");
    const auto outcome = saveNewMatrix(state, f, counting());
    EXPECT_TRUE(outcome.saved);
    EXPECT_EQ(dialogue(), (std::vector<std::string>{"New Matrix|okcancel|question|" + newQuestion("Mine"),
                                                    "Quire|ok|plain|" + kCreated}));
    EXPECT_EQ(info(), kInfo + "[mine.mtx]\r\nInfo1=Soft and clean\r\nInfo2=for 3000\r\n");
    EXPECT_EQ(custom(), "[mine.mtx]\r\nInfo1=Soft and clean\r\nInfo2=for 3000\r\n");
    EXPECT_EQ(matrix("Mine.mtx"), kCountingFile);
    EXPECT_EQ(mainView.calls, std::vector<std::string>{"resetView"});
    EXPECT_EQ(f.line1, "Soft and clean"); // the window shows the joined line
    EXPECT_EQ(f.text1, "Soft and clean");
}

TEST_F(MatrixSaveTest, FirstIntraValueEightSavesWithoutTheQuestionNineAsksIt) {
    MatrixCells boxes = counting();
    prompter.expect(newQuestion("Eight")).expect(kCreated);
    SaveFields eight = fields("Eight");
    EXPECT_TRUE(saveNewMatrix(state, eight, boxes).saved);

    boxes[0] = "9";
    prompter.expect(kFirstIntra, PromptAnswer::Cancel);
    SaveFields nine = fields("Nine");
    EXPECT_FALSE(saveNewMatrix(state, nine, boxes).saved);
    EXPECT_EQ(describe(prompter.shown().back()), "Quire|okcancel|question|" + kFirstIntra);
    EXPECT_FALSE(fs::exists(program / "Lib/Nine.mtx"));
    EXPECT_EQ(info().find("nine"), std::string::npos);

    prompter.expect(kFirstIntra).expect(newQuestion("Nine")).expect(kCreated);
    EXPECT_TRUE(saveNewMatrix(state, nine, boxes).saved);
    EXPECT_EQ(matrix("Nine.mtx").substr(0, 4), "9 9 ");
}

TEST_F(MatrixSaveTest, ExistingSectionAsksToOverwriteAndCancelWritesNothing) {
    program.write("Lib/1-High_High(4000+).mtx", "old\r\n");
    prompter.expect(kExists, PromptAnswer::Cancel);
    SaveFields f = fields("1-High_High(4000+)");
    EXPECT_FALSE(saveNewMatrix(state, f, counting()).saved);
    EXPECT_EQ(describe(prompter.shown().back()), "Quire|okcancel|question|" + kExists);
    EXPECT_EQ(info(), kInfo);
    EXPECT_EQ(custom(), "");
    EXPECT_EQ(matrix("1-High_High(4000+).mtx"), "old\r\n");
    EXPECT_TRUE(mainView.calls.empty());

    prompter.expect(kExists).expect(kCreated);
    EXPECT_TRUE(saveNewMatrix(state, f, counting()).saved);
    EXPECT_EQ(info(), "[1-high_high(4000+).mtx]\r\nInfo1=First\r\nInfo2=Second\r\n");
    EXPECT_EQ(custom(), "[1-high_high(4000+).mtx]\r\nInfo1=First\r\nInfo2=Second\r\n");
    EXPECT_EQ(matrix("1-High_High(4000+).mtx"), kCountingFile);
}

TEST_F(MatrixSaveTest, MatrixFileWithoutSectionIsReplacedAfterTheNewMatrixQuestion) {
    program.write("Lib/Loose.mtx", "loose\r\n");
    prompter.expect(newQuestion("Loose")).expect(kCreated);
    SaveFields f = fields("Loose");
    EXPECT_TRUE(saveNewMatrix(state, f, counting()).saved);
    EXPECT_EQ(matrix("Loose.mtx"), kCountingFile);
}

TEST_F(MatrixSaveTest, CceMarkPutsTheWarningInFrontOfLineOneAndIsCleared) {
    prompter.expect(newQuestion("Hot")).expect(kCreated);
    SaveFields f = fields("Hot", "Old line", "Two");
    f.cceValue = "200";
    EXPECT_TRUE(saveNewMatrix(state, f, counting()).saved);
    const std::string line1 = "This matrix may not be compatible with CCE!  Old line";
    EXPECT_EQ(custom(), "[hot.mtx]\r\nInfo1=" + line1 + "\r\nInfo2=Two\r\n");
    EXPECT_EQ(f.line1, line1);
    EXPECT_EQ(f.text1, line1);
    EXPECT_EQ(f.cceValue, "127");

    // No value above 127 since that save: line 1 stays as it is.
    prompter.expect(kExists).expect(kCreated);
    EXPECT_TRUE(saveNewMatrix(state, f, counting()).saved);
    EXPECT_EQ(f.line1, line1);
}

TEST_F(MatrixSaveTest, NewMatrixWithEmptyLineOneStoresOneBlankInBothFiles) {
    prompter.expect(newQuestion("Bare")).expect(kCreated);
    SaveFields f = fields("Bare", "", "");
    EXPECT_TRUE(saveNewMatrix(state, f, counting()).saved);
    EXPECT_EQ(custom(), "[bare.mtx]\r\nInfo1= \r\nInfo2=\r\n");
    EXPECT_EQ(info(), kInfo + "[bare.mtx]\r\nInfo1= \r\nInfo2=\r\n");
}

TEST_F(MatrixSaveTest, EmptyBoxesOfTheNewWindowAreRefusedNamingTheFirst) {
    MatrixCells boxes = counting();
    boxes[2].clear();
    boxes[70] = "x";
    const std::string message = "Please give every box a whole number: the Intra box in row 1, column 3 is empty.";
    prompter.expect(message);
    SaveFields f = fields("Holes");
    const auto outcome = saveNewMatrix(state, f, boxes);
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(outcome.refused, SaveField::Box);
    EXPECT_EQ(outcome.box, 2u);
    EXPECT_EQ(describe(prompter.shown().back()), "Quire|ok|exclamation|" + message);
    EXPECT_EQ(info(), kInfo);
    EXPECT_FALSE(fs::exists(program / "Lib/Holes.mtx"));
}

TEST_F(MatrixSaveTest, OutOfRangeWholeNumbersAreSavedAsTheyStand) {
    MatrixCells boxes = counting();
    boxes[0] = "8";
    boxes[1] = "-2";
    boxes[127] = "300";
    prompter.expect(newQuestion("Wild")).expect(kCreated);
    SaveFields f = fields("Wild");
    EXPECT_TRUE(saveNewMatrix(state, f, boxes).saved);
    const std::string file = matrix("Wild.mtx");
    EXPECT_TRUE(file.starts_with("8 -2 10 11 12 13 14 15\r\n"));
    EXPECT_TRUE(file.ends_with("128 129 130 131 132 133 134 300\r\n"));
}

TEST_F(MatrixSaveTest, RefusalsComeBeforeAnyQuestionOrWrite) {
    struct Case {
        std::string name;
        std::string line1;
        std::string line2;
        std::string message;
        SaveField field;
    };
    const std::vector<Case> cases = {
        {"", "a", "b", kNoName, SaveField::Name},
        {"a/b", "a", "b",
         "The name \"a/b\" can't be used for a matrix file: it holds one of the characters / \\ : * ? \" < > |",
         SaveField::Name},
        {"CON", "a", "b", "The name \"CON\" can't be used for a matrix file: Windows reserves it for a device.",
         SaveField::Name},
        {"..", "a", "b", "The name \"..\" can't be used for a matrix file: it names a folder.", SaveField::Name},
        {"   ", "a", "b", "Please give the matrix a name.", SaveField::Name},
        {"\xE6\x97\xA5", "a", "b",
         "The name \"?\" can't be used for a matrix file: it holds characters that Tessera's files cannot hold.",
         SaveField::Name},
        {"Fine", "Kanji \xE6\x97\xA5", "b",
         "The first description line holds characters that Tessera's files (Windows-1252) cannot hold. Please "
         "remove them.",
         SaveField::Description1},
        {"Fine", "a", "\xF0\x9F\x98\x80",
         "The second description line holds characters that Tessera's files (Windows-1252) cannot hold. Please "
         "remove them.",
         SaveField::Description2},
    };
    MatrixCells boxes = counting();
    boxes[0] = "9"; // the first-intra question would come next
    const auto before = libraryFiles();
    for (const auto& c : cases) {
        prompter.expect(c.message);
        SaveFields f = fields(c.name, c.line1, c.line2);
        const SaveFields unchanged = f;
        for (int window = 0; window < 2; ++window) {
            if (window == 1)
                prompter.expect(c.message);
            const auto outcome =
                window == 0 ? saveNewMatrix(state, f, boxes) : saveEditedMatrix(state, f, boxes, "Fine.mtx");
            EXPECT_FALSE(outcome.saved) << c.name;
            EXPECT_EQ(outcome.refused, c.field) << c.name;
            EXPECT_EQ(f.line1, unchanged.line1);
        }
        const auto& last = prompter.shown().back();
        EXPECT_EQ(last.title, "Quire");
        EXPECT_EQ(last.buttons, PromptButtons::Ok);
    }
    EXPECT_EQ(libraryFiles(), before);
    EXPECT_EQ(info(), kInfo);
    EXPECT_EQ(custom(), "");
    EXPECT_TRUE(mainView.calls.empty());
}

TEST_F(MatrixSaveTest, EuroSignInNameAndDescriptionIsWrittenAsWindows1252) {
    prompter.expect(newQuestion("Price \x80")).expect(kCreated);
    SaveFields f = fields("Price \xE2\x82\xAC", "5 \xE2\x82\xAC", "");
    EXPECT_TRUE(saveNewMatrix(state, f, counting()).saved);
    EXPECT_EQ(matrix("Price \xE2\x82\xAC.mtx"), kCountingFile);
    EXPECT_EQ(custom(), "[price \x80.mtx]\r\nInfo1=5 \x80\r\nInfo2=\r\n");
    EXPECT_EQ(f.line1, "5 \xE2\x82\xAC");
}

TEST_F(MatrixSaveTest, UnwritableMatrixFileIsReported) {
    fs::create_directories(program / "Lib/Stuck.mtx"); // a folder stands where the file would go
    prompter.expect(newQuestion("Stuck"))
        .expect("The matrix file \"Stuck.mtx\" could not be written in the matrix folder.");
    SaveFields f = fields("Stuck");
    EXPECT_FALSE(saveNewMatrix(state, f, counting()).saved);
    EXPECT_TRUE(mainView.calls.empty());
}

TEST_F(MatrixSaveTest, MissingInfoFileShowsTheFileMessageAndCountsAsNew) {
    fs::remove(program / "Lib/Matrix_Info.ini");
    prompter.expect("").expect(newQuestion("Lone")).expect(kCreated);
    SaveFields f = fields("Lone");
    EXPECT_TRUE(saveNewMatrix(state, f, counting()).saved);
    EXPECT_EQ(prompter.shown().front().title, "File Not Found");
    EXPECT_EQ(info(), "[lone.mtx]\r\nInfo1=First\r\nInfo2=Second\r\n");
}

// --- The edit window.

TEST_F(MatrixSaveTest, EditUnderTheSameNameAsksToReplace) {
    program.write("Lib/Mine.mtx", "old\r\n");
    program.write("Lib/Matrix_Info.ini", kInfo + "[mine.mtx]\r\nInfo1=Old\r\nInfo2=Older\r\n");
    prompter.expect(replaceQuestion("Mine")).expect(kSaved);
    SaveFields f = fields("Mine", "New\r\none", "two");
    EXPECT_TRUE(saveEditedMatrix(state, f, counting(), "Mine.mtx").saved);
    EXPECT_EQ(dialogue(), (std::vector<std::string>{"Save Matrix|okcancel|question|" + replaceQuestion("Mine"),
                                                    "Quire|ok|plain|" + kSaved}));
    EXPECT_EQ(info(), kInfo + "[mine.mtx]\r\nInfo1=New one\r\nInfo2=two\r\n");
    EXPECT_EQ(custom(), ""); // an edited matrix without a custom section stays out of the custom file
    EXPECT_EQ(matrix("Mine.mtx"), kCountingFile);
    EXPECT_TRUE(mainView.calls.empty());
}

TEST_F(MatrixSaveTest, EditWritesTheCustomFileWhenItHasTheSection) {
    program.write("Lib/Matrix_Info_Custom.ini", "[mine.mtx]\r\nInfo1=Old\r\nInfo2=Older\r\n");
    prompter.expect(replaceQuestion("Mine")).expect(kSaved);
    SaveFields f = fields("Mine", "", "");
    EXPECT_TRUE(saveEditedMatrix(state, f, counting(), "Mine.mtx").saved);
    // The same name: line 1 stays empty, no blank is put in.
    EXPECT_EQ(custom(), "[mine.mtx]\r\nInfo1=\r\nInfo2=\r\n");
    EXPECT_EQ(info(), kInfo + "[mine.mtx]\r\nInfo1=\r\nInfo2=\r\n");
}

TEST_F(MatrixSaveTest, CancelOfTheReplaceQuestionKeepsTheDescriptionWrites) {
    program.write("Lib/Mine.mtx", "old\r\n");
    prompter.expect(replaceQuestion("Mine"), PromptAnswer::Cancel);
    SaveFields f = fields("Mine", "A\r\nB", "C");
    f.cceValue = "130";
    EXPECT_FALSE(saveEditedMatrix(state, f, counting(), "Mine.mtx").saved);
    const std::string line1 = "This matrix may not be compatible with CCE!  A B";
    EXPECT_EQ(info(), kInfo + "[mine.mtx]\r\nInfo1=" + line1 + "\r\nInfo2=C\r\n");
    EXPECT_EQ(matrix("Mine.mtx"), "old\r\n");
    EXPECT_EQ(f.line1, line1);
    EXPECT_EQ(f.cceValue, "127");
}

TEST_F(MatrixSaveTest, EditUnderANewNameWritesBothFilesAndANewMatrix) {
    program.write("Lib/Mine.mtx", "old\r\n");
    prompter.expect(newQuestion("Other")).expect(kSaved);
    SaveFields f = fields("Other", "", "Two");
    EXPECT_TRUE(saveEditedMatrix(state, f, counting(), "Mine.mtx").saved);
    EXPECT_EQ(describe(prompter.shown().front()), "New Matrix|okcancel|question|" + newQuestion("Other"));
    EXPECT_EQ(info(), kInfo + "[other.mtx]\r\nInfo1= \r\nInfo2=Two\r\n");
    // The last write puts the empty line in once more; the blank, read as empty text, stays.
    EXPECT_EQ(custom(), "[other.mtx]\r\nInfo1= \r\nInfo2=Two\r\n");
    EXPECT_EQ(matrix("Other.mtx"), kCountingFile);
    EXPECT_EQ(matrix("Mine.mtx"), "old\r\n");
}

TEST_F(MatrixSaveTest, NameDifferingOnlyInCaseIsNewButKeepsFileAndSection) {
    program.write("Lib/Mine.mtx", "old\r\n");
    program.write("Lib/Matrix_Info.ini", kInfo + "[mine.mtx]\r\nInfo1=Old\r\nInfo2=Older\r\n");
    prompter.expect(newQuestion("MINE")).expect(kSaved);
    SaveFields f = fields("MINE", "Shouting", "");
    EXPECT_TRUE(saveEditedMatrix(state, f, counting(), "Mine.mtx").saved);
    EXPECT_EQ(matrix("Mine.mtx"), kCountingFile);
    EXPECT_FALSE(fs::exists(program / "Lib/MINE.mtx"));
    EXPECT_EQ(info(), kInfo + "[mine.mtx]\r\nInfo1=Shouting\r\nInfo2=\r\n");
    EXPECT_EQ(custom(), "[mine.mtx]\r\nInfo1=Shouting\r\nInfo2=\r\n");
}

TEST_F(MatrixSaveTest, EditWithoutSelectedEntryWritesWithoutAsking) {
    prompter.expect(kSaved);
    SaveFields f = fields("Free");
    EXPECT_TRUE(saveEditedMatrix(state, f, counting(), "").saved);
    EXPECT_EQ(matrix("Free.mtx"), kCountingFile);
    EXPECT_EQ(info(), kInfo + "[free.mtx]\r\nInfo1=First\r\nInfo2=Second\r\n");
    EXPECT_EQ(custom(), "");
}

TEST_F(MatrixSaveTest, EditAsksTheFirstIntraQuestionBeforeWriting) {
    MatrixCells boxes = counting();
    boxes[0] = "16";
    prompter.expect(kFirstIntra, PromptAnswer::Cancel);
    SaveFields f = fields("Mine");
    EXPECT_FALSE(saveEditedMatrix(state, f, boxes, "Mine.mtx").saved);
    EXPECT_EQ(info(), kInfo);
}

// --- The import window.

TEST_F(MatrixSaveTest, ImportSaveMakesNoEditorCheck) {
    MatrixCells cells = counting();
    cells[0] = "200";
    cells[5] = "word";
    cells[6] = "";
    prompter.expect(newQuestion("Imported")).expect(kSaved);
    SaveFields f = fields("Imported", "", "x");
    f.cceValue = "250";
    EXPECT_TRUE(saveImportedMatrix(state, f, cells).saved);
    EXPECT_EQ(dialogue(), (std::vector<std::string>{"New Matrix|okcancel|question|" + newQuestion("Imported"),
                                                    "Quire|ok|plain|" + kSaved}));
    EXPECT_TRUE(matrix("Imported.mtx").starts_with("200 9 10 11 12 word  15\r\n"));
    EXPECT_EQ(custom(), "[imported.mtx]\r\nInfo1= \r\nInfo2=x\r\n");
    EXPECT_EQ(f.cceValue, "250");
    EXPECT_EQ(mainView.calls, std::vector<std::string>{"resetView"});
}

TEST_F(MatrixSaveTest, ImportSaveAsksToOverwriteAnExistingMatrix) {
    prompter.expect(kExists, PromptAnswer::Cancel);
    SaveFields f = fields("1-high_high(4000+)");
    EXPECT_FALSE(saveImportedMatrix(state, f, counting()).saved);
    EXPECT_EQ(info(), kInfo);
    prompter.expect(kNoName);
    SaveFields unnamed = fields("");
    EXPECT_EQ(saveImportedMatrix(state, unnamed, counting()).refused, SaveField::Name);
}

// --- Loading the edit window.

TEST(LoadEditValues, SixteenLinesFillTheBoxes) {
    TempFolder folder;
    const auto loaded = loadEditValues(folder.write("m.mtx", kCountingFile));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->count, 128u);
    EXPECT_EQ(loaded->cells, counting());
}

TEST(LoadEditValues, FewerThanSixteenLinesFillNothing) {
    TempFolder folder;
    std::string fifteen = kCountingFile.substr(0, kCountingFile.rfind("128 "));
    EXPECT_FALSE(loadEditValues(folder.write("short.mtx", fifteen)));
    EXPECT_FALSE(loadEditValues(folder / "missing.mtx"));
    EXPECT_FALSE(loadEditValues(folder.write("empty.mtx", "")));
    // The last line needs no line break.
    EXPECT_TRUE(loadEditValues(folder.write("open.mtx", kCountingFile.substr(0, kCountingFile.size() - 2))));
}

TEST(LoadEditValues, ShiftedAndOverlongFilesFillWhatTheyReach) {
    TempFolder folder;
    std::string shifted = "\t8  9 10 11 12 13 14 \r\n" + kCountingFile.substr(kCountingFile.find("16 "));
    auto loaded = loadEditValues(folder.write("shifted.mtx", shifted));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->count, 128u);
    EXPECT_EQ(loaded->cells[0], "8");
    EXPECT_EQ(loaded->cells[1], "");
    EXPECT_EQ(loaded->cells[2], "9");
    EXPECT_EQ(loaded->cells[8], "16");

    std::string nine;
    for (int line = 0; line < 16; ++line)
        nine += "1 2 3 4 5 6 7 8 9\r\n";
    loaded = loadEditValues(folder.write("nine.mtx", nine));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->count, 128u);
    EXPECT_EQ(loaded->cells[9], "1");

    std::string few(16 * 2, ' ');
    for (std::size_t i = 0; i < few.size(); i += 2)
        few.replace(i, 2, "\r\n");
    loaded = loadEditValues(folder.write("blank.mtx", few));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->count, 16u); // sixteen empty lines give sixteen empty pieces
}
