// The import window's browse: the dialog it asks for, the fields it fills and the messages it shows.
#include "matrix/ImportBrowse.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::importing;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;

namespace {

const std::string kInvalid = "The file you selected is Invalid!!!";

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

} // namespace

TEST(ImportBrowse, NameIsTheTitleLessItsLastFourCharacters) {
    const struct {
        std::string title;
        std::string name;
    } cases[] = {{"Strong.txt", "Strong"},
                 {"a.cqm", "a"},
                 {"Two dots.v2.xcm", "Two dots.v2"},
                 {"Ünïcodé€.txt", "Ünïcodé€"},
                 {"matrix.text", "matrix."},
                 {"abcd", ""},
                 {"ab", ""},
                 {"", ""},
                 {"naïve", "n"}};
    for (const auto& c : cases)
        EXPECT_EQ(matrixNameOfTitle(c.title), c.name) << c.title;
}

TEST(ImportBrowse, DialogTitleAndFiltersFollowTheKind) {
    ScriptedPrompter prompter;
    prompter.expectFile("").expectFile("");
    BrowseFields fields = oldFields();
    EXPECT_FALSE(browse(prompter, SourceKind::Text, fields));
    EXPECT_FALSE(browse(prompter, SourceKind::Binary, fields));
    EXPECT_EQ(prompter.fileDialogTitles(), (std::vector<std::string>{"  Import", "  Import"}));
    const auto filters = prompter.fileDialogFilters();
    ASSERT_EQ(filters.size(), 2u);
    ASSERT_EQ(filters[0].size(), 2u);
    EXPECT_EQ(filters[0][0].description, "Text Files");
    EXPECT_EQ(filters[0][0].patterns, "*.txt");
    EXPECT_EQ(filters[0][1].description, "All Files");
    EXPECT_EQ(filters[0][1].patterns, "*.*");
    ASSERT_EQ(filters[1].size(), 1u);
    EXPECT_EQ(filters[1][0].description, "CQM XCM Files");
    EXPECT_EQ(filters[1][0].patterns, "*.cqm;*.xcm");
}

TEST(ImportBrowse, CancelEmptiesThePathAndWorkingTextOnly) {
    ScriptedPrompter prompter;
    prompter.expectFile("");
    BrowseFields fields = oldFields();
    browse(prompter, SourceKind::Text, fields);
    EXPECT_EQ(fields.txtPath, "");
    EXPECT_EQ(fields.text1, "");
    EXPECT_EQ(fields.txtMatrixName, "old");
    EXPECT_EQ(fields.cells[0], "old");
    EXPECT_TRUE(prompter.shown().empty());
}

TEST(ImportBrowse, UnreadableFileEndsSilently) {
    TempFolder folder;
    ScriptedPrompter prompter;
    prompter.expectFile((folder / "missing.txt").string());
    BrowseFields fields = oldFields();
    EXPECT_TRUE(browse(prompter, SourceKind::Text, fields));
    EXPECT_EQ(fields.txtPath, "missing.txt");
    EXPECT_EQ(fields.txtMatrixName, "old");
    EXPECT_EQ(fields.cells[0], "old");
    EXPECT_TRUE(prompter.shown().empty());
}

TEST(ImportBrowse, ValidTextFillsNameBoxesAndWorkingText) {
    TempFolder folder;
    ScriptedPrompter prompter;
    prompter.expectFile(folder.write("My Matrix.txt", rows(16, 8)).string());
    BrowseFields fields = oldFields();
    browse(prompter, SourceKind::Text, fields);
    EXPECT_EQ(fields.txtPath, "My Matrix.txt");
    EXPECT_EQ(fields.txtMatrixName, "My Matrix");
    EXPECT_EQ(fields.cells[0], "10");
    EXPECT_EQ(fields.cells[127], "137");
    EXPECT_TRUE(fields.text1.starts_with("10 11 12 13 14 15 16 17\r\n"));
    EXPECT_EQ(fields.lastFolder, folder.path().string());
    EXPECT_TRUE(prompter.shown().empty());
}

TEST(ImportBrowse, InvalidFilesShowTheMessageAndKeepAMixture) {
    const struct {
        const char* what;
        SourceKind kind;
        std::string file;
        std::string content;
        int messages;
        std::string name;  // after the browse
        std::string cell0; // box 0 after the browse
        std::string cell127;
    } cases[] = {{"16 lines of 9 values", SourceKind::Text, "nine.txt", rows(16, 9), 1, "nine", "10", "137"},
                 {"14 lines", SourceKind::Text, "short.txt", rows(14, 8), 1, "short", "old", "old"},
                 {"empty text", SourceKind::Text, "empty.txt", "", 1, "empty", "old", "old"},
                 {"127 bytes", SourceKind::Binary, "short.cqm", std::string(127, '\x10'), 1, "old", "old", "old"},
                 {"120 bytes", SourceKind::Binary, "short.xcm", std::string(120, '\x10'), 1, "old", "old", "old"},
                 {"130 bytes", SourceKind::Binary, "long.cqm", std::string(130, '\x10'), 1, "long", "16", "16"},
                 {"128 bytes", SourceKind::Binary, "exact.XCM", std::string(128, '\x10'), 0, "exact", "16", "16"}};
    for (const auto& c : cases) {
        TempFolder folder;
        ScriptedPrompter prompter;
        prompter.expectFile(folder.write(c.file, c.content).string());
        for (int i = 0; i < c.messages; ++i)
            prompter.expect(kInvalid);
        BrowseFields fields = oldFields();
        browse(prompter, c.kind, fields);
        EXPECT_EQ(fields.txtPath, c.file) << c.what;
        EXPECT_EQ(fields.txtMatrixName, c.name) << c.what;
        EXPECT_EQ(fields.cells[0], c.cell0) << c.what;
        EXPECT_EQ(fields.cells[127], c.cell127) << c.what;
        for (const auto& box : prompter.shown()) {
            EXPECT_EQ(box.title, "Quire");
            EXPECT_EQ(box.buttons, PromptButtons::Ok);
            EXPECT_EQ(box.icon, PromptIcon::None);
        }
    }
}

TEST(ImportBrowse, ByteFileOfTextKindIsReadAsText) {
    // The kind chosen in the window decides, not the extension.
    TempFolder folder;
    ScriptedPrompter prompter;
    prompter.expectFile(folder.write("values.cqm", rows(16, 8)).string());
    BrowseFields fields = oldFields();
    browse(prompter, SourceKind::Text, fields);
    EXPECT_EQ(fields.cells[0], "10");
    EXPECT_EQ(fields.txtMatrixName, "values");
}
