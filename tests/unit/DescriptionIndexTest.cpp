// The description index: section names, stored forms, removal and the rebuild of Matrix_Info.ini.
#include "matrix/DescriptionIndex.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::descriptions;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;

TEST(Descriptions, SectionNameIsTheLowerCasedFileName) {
    EXPECT_EQ(sectionName("1-High_High(4000+).mtx"), "1-high_high(4000+).mtx");
    EXPECT_EQ(sectionName("\xC9t\xE9 Matrix.MTX"), "\xE9t\xE9 matrix.mtx");
}

TEST(Descriptions, TypedTextIsStoredOnOneLine) {
    EXPECT_EQ(oneLine("first\r\nsecond\nthird\rfourth"), "first second third fourth");
    EXPECT_EQ(oneLine("a\r\n\r\nb"), "a  b");
    EXPECT_EQ(storedInfo1(""), " ");
    EXPECT_EQ(storedInfo1("x"), "x");
    EXPECT_EQ(storedInfo1("\r\n"), " ");
}

TEST(Descriptions, UpperCaseFileNameFindsItsLowerCaseSection) {
    TempFolder dir;
    dir.write("Matrix_Info.ini", "[my matrix.mtx]\r\nInfo1=Soft\r\nInfo2=for cartoons\r\n"
                                 "[only one.mtx]\r\nInfo1=Alone\r\n");
    const auto d = read(dir.path(), "My Matrix.mtx");
    EXPECT_EQ(d.info1, "Soft");
    EXPECT_EQ(d.info2, "for cartoons");
    EXPECT_EQ(d.shown(), "Soft for cartoons");
    EXPECT_EQ(read(dir.path(), "Only One.mtx").shown(), "Alone ");
    EXPECT_EQ(read(dir.path(), "unknown.mtx").shown(), " ");
}

TEST(Descriptions, WriteUsesTheLowerCaseSection) {
    TempFolder dir;
    write(dir / "Matrix_Info.ini", "New One.mtx", " ", "second part");
    EXPECT_EQ(dir.read("Matrix_Info.ini"), "[new one.mtx]\r\nInfo1= \r\nInfo2=second part\r\n");
}

TEST(Descriptions, RemoveDeletesFromBothFiles) {
    TempFolder dir;
    dir.write("Matrix_Info.ini", "[a.mtx]\r\nInfo1=A\r\n[b.mtx]\r\nInfo1=B\r\n");
    dir.write("Matrix_Info_Custom.ini", "[b.mtx]\r\nInfo1=B\r\n");
    ScriptedPrompter prompter;
    remove(prompter, dir.path(), "B.mtx");
    EXPECT_EQ(dir.read("Matrix_Info.ini"), "[a.mtx]\r\nInfo1=A\r\n");
    EXPECT_EQ(dir.read("Matrix_Info_Custom.ini"), "");
}

TEST(Descriptions, RemoveWithoutCustomFileReportsIt) {
    TempFolder dir;
    dir.write("Matrix_Info.ini", "[a.mtx]\r\nInfo1=A\r\n");
    ScriptedPrompter prompter;
    prompter.expect((dir / "Matrix_Info_Custom.ini").string() + " not found.");
    remove(prompter, dir.path(), "a.mtx");
    EXPECT_EQ(dir.read("Matrix_Info.ini"), "");
    EXPECT_EQ(prompter.shown().at(0).title, "File Not Found");
}

TEST(Descriptions, RebuildIsDefaultsThenTheCustomFile) {
    TempFolder dir;
    const std::string defaults = "[1-high_high(4000+).mtx]\r\nInfo1=Sharp\r\nInfo2=High rates";
    const std::string custom = "[mine.mtx]\r\nInfo1=Mine\r\nInfo2= \r\n";
    dir.write("Matrix_Info.ini", "stale");
    dir.write("Matrix_Info_Custom.ini", custom);
    ASSERT_TRUE(rebuild(dir.path(), defaults));
    const std::string rebuilt = dir.read("Matrix_Info.ini");
    EXPECT_EQ(rebuilt, defaults + "\r\n" + custom + "\r\n");
    EXPECT_TRUE(rebuilt.starts_with(defaults));
    EXPECT_EQ(dir.read("Matrix_Info_Custom.ini"), custom);
    EXPECT_EQ(read(dir.path(), "Mine.mtx").info1, "Mine");
    EXPECT_EQ(read(dir.path(), "1-High_High(4000+).mtx").info2, "High rates");
}

TEST(Descriptions, RebuildWithoutCustomFile) {
    TempFolder dir;
    ASSERT_TRUE(rebuild(dir.path(), "[d.mtx]\r\nInfo1=D"));
    EXPECT_EQ(dir.read("Matrix_Info.ini"), "[d.mtx]\r\nInfo1=D\r\n\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "Matrix_Info_Custom.ini"));
    EXPECT_FALSE(rebuild(dir / "missing-folder", "x"));
}
