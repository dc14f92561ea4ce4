// The save sequences of the new-matrix, edit and import windows, question by question, with the
// files they leave byte for byte; their refusals; the edit window's loading of a matrix file.
#include "matrix/MatrixSave.h"

#include "support/CellText.h"
#include "support/RecordingMainView.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"
#include "ui/Localisation.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::editor;
using quire::test::describe;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;
namespace fs = std::filesystem;

namespace {

const std::string kNoName = "You must give a name to your Matrix!";
const std::string kFirstIntra =
    "Some DVD players may not play the resulting files if the first INTRA value isn't \"8\"!";
const std::string kExists = "This matrix already exists! Do you want to overwrite it?";
const std::string kCreated = "Quire|ok|plain|Your new Matrix has been created!";
const std::string kSaved = "Quire|ok|plain|Your Matrix has been saved!";
const std::string kCce = "This matrix may not be compatible with CCE!  ";
const std::string kInfo = "[1-high_high(4000+).mtx]\r\nInfo1=High\r\nInfo2=More\r\n";

// Boxes 8, 9, ... 135 and the file they make.
MatrixCells counting() {
    MatrixCells boxes;
    for (std::size_t i = 0; i < kMatrixCells; ++i)
        boxes[i] = std::to_string(8 + i);
    return boxes;
}
const std::string kCountingFile = quire::test::numberedText();

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}
std::string section(const std::string& name, const std::string& line1, const std::string& line2) {
    return "[" + name + "]\r\nInfo1=" + line1 + "\r\nInfo2=" + line2 + "\r\n";
}
// Boxes as "title|buttons|icon|text"; a leading '!' in a script answers Cancel.
std::string ask(const std::string& title, const std::string& text) {
    return title + "|okcancel|question|" + text;
}
std::string newQuestion(const std::string& name) {
    return ask("New Matrix", "Are you sure that you want\n\nto create a new Matrix called '" + name + "'?");
}
// The language file's text ends in a blank, which the profile lookup trims.
std::string replaceQuestion(const std::string& name) {
    return ask("Save Matrix", "Are you sure that you want to replace the Matrix'" + name +
                                  "' ?\n\nIf you want to create a new one, just give it a different name.");
}

class MatrixSaveTest : public ::testing::Test {
protected:
    MatrixSaveTest() {
        ScriptedPrompter quiet;
        WriteLanguageFiles(quiet, program.path());
        program.write("Lib/Matrix_Info.ini", kInfo);
        program.write("Lib/Matrix_Info_Custom.ini", "");
        state.txtLang = "English.lng";
        state.txtPath = (program / "Lib").string();
        state.mainView = &mainView;
    }
    std::ptrdiff_t libraryFiles() const {
        return std::distance(fs::directory_iterator(program / "Lib"), fs::directory_iterator());
    }

    TempFolder program;
    ScriptedPrompter prompter;
    quire::test::RecordingMainView mainView;
    SharedState state{program.path(), prompter};
};

enum class Window { New, Edit, Import };

struct SaveCase {
    const char* name;
    Window window;
    std::vector<std::pair<std::string, std::string>> files; // under Lib/; "/" makes a folder, "-" removes
    std::vector<std::string> fields; // name, line 1, line 2, CCE value, the edit window's selected entry
    std::vector<std::pair<std::size_t, std::string>> boxes;
    std::vector<std::string> dialogue;
    std::string outcome; // "saved", "cancelled", or the field refused
    std::string info, custom, matrixFile, matrix;
    std::string after; // line 1 (and its mirror) and the CCE value after the save
    std::vector<std::string> calls;
};

using Files = std::vector<std::pair<std::string, std::string>>;
using Boxes = std::vector<std::pair<std::size_t, std::string>>;
using Texts = std::vector<std::string>;
SaveCase row(const char* name, Window window, Files files, Texts fields, Boxes boxes, Texts dialogue,
             std::string outcome, std::string info, std::string custom, std::string matrixFile, std::string matrix,
             std::string after, Texts calls) {
    return {name, window, files, fields, boxes, dialogue, outcome, info, custom, matrixFile, matrix, after, calls};
}

} // namespace

TEST_F(MatrixSaveTest, EachWindowAsksAndWritesInItsOrder) {
    const std::string cceLine = kCce + "Old line";
    const std::vector<SaveCase> cases = {
        row("new matrix joins line 1", Window::New, {}, {"Mine", "Soft\r\nand clean", "for 3000"}, {},
            {newQuestion("Mine"), kCreated}, "saved", kInfo + section("mine.mtx", "Soft and clean", "for 3000"),
            section("mine.mtx", "Soft and clean", "for 3000"), "Mine.mtx", kCountingFile, "Soft and clean|127",
            {"resetView"}),
        row("existing section, overwritten", Window::New, {{"1-High_High(4000+).mtx", "old\r\n"}},
            {"1-High_High(4000+)"}, {}, {ask("Quire", kExists), kCreated}, "saved",
            section("1-high_high(4000+).mtx", "First", "Second"), section("1-high_high(4000+).mtx", "First", "Second"),
            "1-High_High(4000+).mtx", kCountingFile, "First|127", {"resetView"}),
        row("CCE mark goes in front of line 1 and is cleared", Window::New, {}, {"Hot", "Old line", "Second", "200"},
            {}, {newQuestion("Hot"), kCreated}, "saved", kInfo + section("hot.mtx", cceLine, "Second"),
            section("hot.mtx", cceLine, "Second"), "Hot.mtx", kCountingFile, cceLine + "|" + "127", {"resetView"}),
        row("empty box refused, naming the first", Window::New, {}, {"Holes"}, {{2, ""}, {70, "x"}},
            {"Quire|ok|exclamation|Please give every box a whole number: the Intra box in row 1, column 3 is empty."},
            "box 2", kInfo, "", "Holes.mtx", "", "First|127", {}),
        row("euro sign written as Windows-1252", Window::New, {}, {"Price \xE2\x82\xAC", "5 \xE2\x82\xAC", ""}, {},
            {newQuestion("Price \x80"), kCreated}, "saved", kInfo + section("price \x80.mtx", "5 \x80", ""),
            section("price \x80.mtx", "5 \x80", ""), "Price \xE2\x82\xAC.mtx", kCountingFile, "5 \xE2\x82\xAC|127",
            {"resetView"}),
        row("unwritable matrix file", Window::New, {{"Stuck.mtx", "/"}}, {"Stuck"}, {},
            {newQuestion("Stuck"),
             "Quire|ok|exclamation|The matrix file \"Stuck.mtx\" could not be written in the matrix folder."},
            "cancelled", kInfo + section("stuck.mtx", "First", "Second"), section("stuck.mtx", "First", "Second"), "",
            "", "First|127", {}),
        row("missing info file counts as new", Window::New, {{"Matrix_Info.ini", "-"}}, {"Lone"}, {},
            {"File Not Found|ok|critical|" + (program / "Lib" / "Matrix_Info.ini").string() + " not found.",
             newQuestion("Lone"), kCreated},
            "saved", section("lone.mtx", "First", "Second"), section("lone.mtx", "First", "Second"), "Lone.mtx",
            kCountingFile, "First|127", {"resetView"}),
        row("edit under the same name asks to replace", Window::Edit,
            {{"Mine.mtx", "old\r\n"}, {"Matrix_Info.ini", kInfo + section("mine.mtx", "Old", "Older")}},
            {"Mine", "New\r\none", "two"}, {}, {replaceQuestion("Mine"), kSaved}, "saved",
            kInfo + section("mine.mtx", "New one", "two"), "", "Mine.mtx", kCountingFile, "New one|127", {}),
        row("edit writes the custom file when it has the section; no blank in line 1", Window::Edit,
            {{"Matrix_Info_Custom.ini", section("mine.mtx", "Old", "Older")}}, {"Mine", "", ""}, {},
            {replaceQuestion("Mine"), kSaved}, "saved", kInfo + section("mine.mtx", "", ""),
            section("mine.mtx", "", ""), "Mine.mtx", kCountingFile, "|127", {}),
        row("cancel of the replace question keeps the description writes", Window::Edit, {{"Mine.mtx", "old\r\n"}},
            {"Mine", "A\r\nB", "C", "130"}, {}, {"!" + replaceQuestion("Mine")}, "cancelled",
            kInfo + section("mine.mtx", kCce + "A B", "C"), "", "Mine.mtx", "old\r\n", kCce + "A B" + "|" + "127", {}),
        row("edit under a new name", Window::Edit, {{"Mine.mtx", "old\r\n"}}, {"Other", "", "Two"}, {},
            {newQuestion("Other"), kSaved}, "saved", kInfo + section("other.mtx", " ", "Two"),
            section("other.mtx", " ", "Two"), "Other.mtx", kCountingFile, "|127", {}),
        row("name differing only in case keeps file and section", Window::Edit,
            {{"Mine.mtx", "old\r\n"}, {"Matrix_Info.ini", kInfo + section("mine.mtx", "Old", "Older")}},
            {"MINE", "Shouting", ""}, {}, {newQuestion("MINE"), kSaved}, "saved",
            kInfo + section("mine.mtx", "Shouting", ""), section("mine.mtx", "Shouting", ""), "Mine.mtx", kCountingFile,
            "Shouting|127", {}),
        row("edit without a selected entry writes without asking", Window::Edit, {},
            {"Free", "First", "Second", "127", ""}, {}, {kSaved}, "saved",
            kInfo + section("free.mtx", "First", "Second"), "", "Free.mtx", kCountingFile, "First|127", {}),
        row("edit asks the first-intra question", Window::Edit, {}, {"Mine"}, {{0, "16"}},
            {"!" + ask("Quire", kFirstIntra)}, "cancelled", kInfo, "", "", kCountingFile, "First|127", {}),
        row("import makes no editor check", Window::Import, {}, {"Imported", "", "x", "250"},
            {{0, "200"}, {5, "word"}, {6, ""}}, {newQuestion("Imported"), kSaved}, "saved",
            kInfo + section("imported.mtx", " ", "x"), section("imported.mtx", " ", "x"), "Imported.mtx",
            replaced(kCountingFile, "8 9 10 11 12 13 14", "200 9 10 11 12 word "), "|250", {"resetView"}),
        row("import refuses an empty name", Window::Import, {}, {""}, {}, {"Quire|ok|plain|" + kNoName}, "name", kInfo,
            "", "", kCountingFile, "First|127", {})};
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.name);
        program.write("Lib/Matrix_Info.ini", kInfo);
        program.write("Lib/Matrix_Info_Custom.ini", "");
        for (const auto& entry : fs::directory_iterator(program / "Lib"))
            if (entry.path().extension() == ".mtx")
                fs::remove_all(entry.path());
        for (const auto& [name, bytes] : c.files) {
            if (bytes == "/")
                fs::create_directories(program / "Lib" / name);
            else if (bytes == "-")
                fs::remove(program / "Lib" / name);
            else
                program.write("Lib/" + name, bytes);
        }
        mainView.calls.clear();
        const std::size_t shownBefore = prompter.shown().size();
        for (const std::string& box : c.dialogue)
            prompter.expect(box.substr(box.find('|', box.find('|', box.find('|') + 1) + 1) + 1),
                            box.starts_with('!') ? PromptAnswer::Cancel : PromptAnswer::Ok);
        MatrixCells boxes = counting();
        for (const auto& [index, value] : c.boxes)
            boxes[index] = value;
        SaveFields f;
        const auto field = [&](std::size_t i, const char* otherwise) {
            return i < c.fields.size() ? c.fields[i] : std::string(otherwise);
        };
        f.name = c.fields[0];
        f.line1 = f.text1 = field(1, "First");
        f.line2 = field(2, "Second");
        f.cceValue = field(3, "127");
        const SaveOutcome outcome = c.window == Window::New    ? saveNewMatrix(state, f, boxes)
                                    : c.window == Window::Edit ? saveEditedMatrix(state, f, boxes, field(4, "Mine.mtx"))
                                                               : saveImportedMatrix(state, f, boxes);
        const std::string got = outcome.saved                        ? "saved"
                                : outcome.refused == SaveField::None ? "cancelled"
                                : outcome.refused == SaveField::Box  ? "box " + std::to_string(outcome.box)
                                                                     : "name";
        EXPECT_EQ(got, c.outcome);
        ASSERT_EQ(prompter.shown().size() - shownBefore, c.dialogue.size());
        for (std::size_t i = 0; i < c.dialogue.size(); ++i)
            EXPECT_EQ(describe(prompter.shown()[shownBefore + i]),
                      c.dialogue[i].substr(c.dialogue[i][0] == '!' ? 1 : 0));
        EXPECT_EQ(program.read("Lib/Matrix_Info.ini"), c.info);
        EXPECT_EQ(program.read("Lib/Matrix_Info_Custom.ini"), c.custom);
        if (!c.matrixFile.empty()) {
            EXPECT_EQ(program.read("Lib/" + c.matrixFile), c.matrix);
        }
        EXPECT_EQ(f.line1 + "|" + f.cceValue, c.after);
        EXPECT_EQ(f.text1, f.line1);
        EXPECT_EQ(mainView.calls, c.calls);
    }
}

TEST_F(MatrixSaveTest, RefusalsComeBeforeAnyQuestionOrWriteInBothEditors) {
    const std::string line = " description line holds characters that Tessera's files (Windows-1252) cannot hold. "
                             "Please remove them.";
    const std::string name = "The name \"";
    const struct {
        std::string name, line1, line2, message;
        SaveField field;
    } cases[] = {{"..", "a", "b", name + "..\" can't be used for a matrix file: it names a folder.", SaveField::Name},
                 {"\xE6\x97\xA5", "a", "b",
                  name + "?\" can't be used for a matrix file: it holds characters that Tessera's files cannot hold.",
                  SaveField::Name},
                 {"Fine", "Kanji \xE6\x97\xA5", "b", "The first" + line, SaveField::Description1},
                 {"Fine", "a", "\xF0\x9F\x98\x80", "The second" + line, SaveField::Description2}};
    MatrixCells boxes = counting();
    boxes[0] = "9"; // the first-intra question would come next
    const auto before = libraryFiles();
    for (const auto& c : cases) {
        for (const Window window : {Window::New, Window::Edit}) {
            prompter.expect(c.message);
            SaveFields f;
            f.name = c.name;
            f.line1 = f.text1 = c.line1;
            f.line2 = c.line2;
            const auto outcome =
                window == Window::New ? saveNewMatrix(state, f, boxes) : saveEditedMatrix(state, f, boxes, "Fine.mtx");
            EXPECT_EQ(
                std::tuple(outcome.saved, outcome.refused, f.line1, describe(prompter.shown().back()).substr(0, 8)),
                std::tuple(false, c.field, c.line1, "Quire|ok"))
                << c.name;
        }
    }
    EXPECT_EQ(libraryFiles(), before);
    EXPECT_EQ(program.read("Lib/Matrix_Info.ini") + "|" + program.read("Lib/Matrix_Info_Custom.ini"), kInfo + "|");
    EXPECT_TRUE(mainView.calls.empty());
}

// Reading itself is MatrixRead's test; here the sixteen-line rule of the edit window.
TEST(LoadEditValues, SixteenLinesFillTheBoxesFewerFillNothing) {
    std::string blank;
    for (int line = 0; line < 16; ++line)
        blank += "\r\n";
    const std::string all = kCountingFile;
    const struct {
        const char* what;
        std::string bytes;
        std::size_t count; // 0: nothing loaded
    } cases[] = {{"sixteen lines", all, 128},
                 {"fifteen lines", all.substr(0, all.rfind("128 ")), 0},
                 {"the last line needs no line break", all.substr(0, all.size() - 2), 128},
                 {"sixteen empty lines give sixteen empty pieces", blank, 16}};
    TempFolder folder;
    for (const auto& c : cases) {
        const auto loaded = loadEditValues(folder.write("m.mtx", c.bytes));
        EXPECT_EQ(loaded ? loaded->count : 0, c.count) << c.what;
    }
    EXPECT_EQ(quire::test::joined(loadEditValues(folder.write("m.mtx", all))->cells), quire::test::seq(8, 128));
    EXPECT_FALSE(loadEditValues(folder / "missing.mtx"));
}
