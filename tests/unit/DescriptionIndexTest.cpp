// The description index: section names, stored forms, removal and the rebuild of Matrix_Info.ini.
#include "matrix/DescriptionIndex.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::descriptions;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;

TEST(Descriptions, SectionNamesAndStoredForms) {
    EXPECT_EQ(sectionName("1-High_High(4000+).mtx"), "1-high_high(4000+).mtx");
    EXPECT_EQ(sectionName("\xC9t\xE9 Matrix.MTX"), "\xE9t\xE9 matrix.mtx");
    // Typed text is stored on one line.
    EXPECT_EQ(oneLine("first\r\nsecond\nthird\rfourth"), "first second third fourth");
    EXPECT_EQ(oneLine("a\r\n\r\nb"), "a  b");
    EXPECT_EQ(storedInfo1("") + "|" + storedInfo1("x") + "|" + storedInfo1("\r\n"), " |x| ");
}

TEST(Descriptions, ReadWriteAndRemoveUseTheLowerCaseSection) {
    TempFolder dir;
    write(dir / "Matrix_Info.ini", "New One.mtx", " ", "second part");
    EXPECT_EQ(dir.read("Matrix_Info.ini"), "[new one.mtx]\r\nInfo1= \r\nInfo2=second part\r\n");
    dir.write("Matrix_Info.ini", "[my matrix.mtx]\r\nInfo1=Soft\r\nInfo2=for cartoons\r\n"
                                 "[only one.mtx]\r\nInfo1=Alone\r\n[b.mtx]\r\nInfo1=B\r\n");
    const auto d = read(dir.path(), "My Matrix.mtx");
    EXPECT_EQ(d.info1 + "|" + d.info2 + "|" + d.shown(), "Soft|for cartoons|Soft for cartoons");
    EXPECT_EQ(read(dir.path(), "Only One.mtx").shown(), "Alone ");
    EXPECT_EQ(read(dir.path(), "unknown.mtx").shown(), " ");

    dir.write("Matrix_Info_Custom.ini", "[b.mtx]\r\nInfo1=B\r\n");
    ScriptedPrompter prompter;
    remove(prompter, dir.path(), "B.mtx"); // from both files
    EXPECT_EQ(dir.read("Matrix_Info_Custom.ini"), "");
    std::filesystem::remove(dir / "Matrix_Info_Custom.ini");
    prompter.expect((dir / "Matrix_Info_Custom.ini").string() + " not found.");
    remove(prompter, dir.path(), "my matrix.mtx");
    EXPECT_EQ(dir.read("Matrix_Info.ini"), "[only one.mtx]\r\nInfo1=Alone\r\n");
    EXPECT_EQ(prompter.shown().at(0).title, "File Not Found");
}

TEST(Descriptions, RebuildIsDefaultsThenTheCustomFile) {
    TempFolder dir;
    const std::string defaults = "[1-high_high(4000+).mtx]\r\nInfo1=Sharp\r\nInfo2=High rates";
    const std::string custom = "[mine.mtx]\r\nInfo1=Mine\r\nInfo2= \r\n";
    ASSERT_TRUE(rebuild(dir.path(), "[d.mtx]\r\nInfo1=D"));
    EXPECT_EQ(dir.read("Matrix_Info.ini"), "[d.mtx]\r\nInfo1=D\r\n\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "Matrix_Info_Custom.ini"));
    EXPECT_FALSE(rebuild(dir / "missing-folder", "x"));
    dir.write("Matrix_Info_Custom.ini", custom);
    ASSERT_TRUE(rebuild(dir.path(), defaults));
    EXPECT_EQ(dir.read("Matrix_Info.ini"), defaults + "\r\n" + custom + "\r\n");
    EXPECT_EQ(dir.read("Matrix_Info_Custom.ini"), custom);
    EXPECT_EQ(read(dir.path(), "Mine.mtx").info1, "Mine");
    EXPECT_EQ(read(dir.path(), "1-High_High(4000+).mtx").info2, "High rates");
}
