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
    const std::pair<std::string, std::string> cases[] = {{"Strong.txt", "Strong"},
                                                         {"a.cqm", "a"},
                                                         {"Two dots.v2.xcm", "Two dots.v2"},
                                                         {"Ünïcodé€.txt", "Ünïcodé€"},
                                                         {"matrix.text", "matrix."},
                                                         {"abcd", ""},
                                                         {"ab", ""},
                                                         {"", ""},
                                                         {"naïve", "n"}};
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
    const auto filters = prompter.fileDialogFilters();
    ASSERT_EQ(filters.size(), 2u);
    ASSERT_EQ(filters[0].size(), 2u);
    ASSERT_EQ(filters[1].size(), 1u);
    EXPECT_EQ(filters[0][0].description + filters[0][0].patterns + "|" + filters[0][1].description +
                  filters[0][1].patterns + "|" + filters[1][0].description + filters[1][0].patterns,
              "Text Files*.txt|All Files*.*|CQM XCM Files*.cqm;*.xcm");
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
        {"empty text", SourceKind::Text, "empty.txt", "", 1, "empty.txt|empty|old|old|"},
        {"127 bytes", SourceKind::Binary, "short.cqm", std::string(127, '\x10'), 1, "short.cqm|old|old|old|"},
        {"120 bytes", SourceKind::Binary, "short.xcm", std::string(120, '\x10'), 1, "short.xcm|old|old|old|"},
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
        for (const auto& box : prompter.shown()) {
            EXPECT_EQ(box.title, "Quire");
            EXPECT_EQ(box.buttons, PromptButtons::Ok);
            EXPECT_EQ(box.icon, PromptIcon::None);
        }
    }
}
