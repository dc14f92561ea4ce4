// Writing the default matrix set into a matrix folder, and reading the default descriptions
// back from a Matrix_Info.ini made either way (alone at start-up, or rebuilt with the user's text).
#include "matrix/DefaultSet.h"
#include "app/IniManager.h"
#include "matrix/DescriptionIndex.h"
#include "platform/Text1252.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using quire::test::TempFolder;
namespace fs = std::filesystem;

TEST(WriteDefaultMatrices, WritesSixteenFilesEndingWithAnEmptyLine) {
    TempFolder dir;
    EXPECT_EQ(WriteDefaultMatrices(dir.path()), 16);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 16);
    for (const auto name : kDefaultMatrixNames) {
        SCOPED_TRACE(std::string(name));
        const std::string bytes = dir.read(name);
        EXPECT_EQ(bytes, std::string(defaultMatrixText(name)) + "\r\n");
        const auto lines = text::splitLines(bytes);
        ASSERT_EQ(lines.size(), 17u);
        EXPECT_EQ(lines[16], "");
        EXPECT_FALSE(lines[15].empty());
    }
}

TEST(WriteDefaultMatrices, RestoresAnEditedPresetAndLeavesUserFilesAlone) {
    TempFolder dir;
    dir.write("4-Medium_High(3200-4000).mtx", "99 99 99 99 99 99 99 99\r\n");
    dir.write("My Own.mtx", "user bytes");
    dir.write("4-medium_high(3200-4000).MTX.bak", "backup");
    EXPECT_EQ(WriteDefaultMatrices(dir.path()), 16);
    const std::string restored = dir.read("4-Medium_High(3200-4000).mtx");
    EXPECT_TRUE(restored.starts_with("08 16 19 22 26 27 29 34\r\n16 16 22 24 27 29 34 37\r\n")) << restored;
    EXPECT_EQ(restored, std::string(defaultMatrixText("4-Medium_High(3200-4000).mtx")) + "\r\n");
    EXPECT_EQ(dir.read("My Own.mtx"), "user bytes");
    EXPECT_EQ(dir.read("4-medium_high(3200-4000).MTX.bak"), "backup");
}

TEST(WriteDefaultMatrices, StopsAtAFileThatCannotBeWritten) {
    TempFolder dir;
    fs::create_directory(dir / "5-Medium_Medium(2800-3500).mtx");
    EXPECT_EQ(WriteDefaultMatrices(dir.path()), 4);
    for (std::size_t i = 0; i < kDefaultMatrixNames.size(); ++i) {
        const fs::path file = dir / kDefaultMatrixNames[i];
        if (i < 4) {
            EXPECT_TRUE(fs::is_regular_file(file)) << file;
        } else if (i == 4) {
            EXPECT_TRUE(fs::is_directory(file)) << file;
        } else {
            EXPECT_FALSE(fs::exists(file)) << file;
        }
    }
}

TEST(WriteDefaultMatrices, ReadOnlyPresetStopsTheWritingAndStaysAsItWas) {
    TempFolder dir;
    const fs::path locked = dir.write("2-High_Medium(4000).mtx", "kept");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(WriteDefaultMatrices(dir.path()), 1);
    EXPECT_EQ(dir.read("2-High_Medium(4000).mtx"), "kept");
    EXPECT_FALSE(fs::exists(dir / "3-High_Low(3500-4000).mtx"));
}

TEST(WriteDefaultMatrices, MissingFolderWritesNothing) {
    TempFolder dir;
    EXPECT_EQ(WriteDefaultMatrices(dir / "nowhere"), 0);
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
}

namespace {

// Every default description, read through the INI layer from Matrix_Info.ini of the folder.
void expectDefaultsReadable(const fs::path& folder) {
    for (const auto name : kDefaultMatrixNames) {
        SCOPED_TRACE(std::string(name));
        const auto description = descriptions::read(folder, name);
        EXPECT_GT(description.info1.size(), 20u);
        EXPECT_EQ(description.info1.find('='), std::string::npos);
    }
    // Sections 6, 7 and 8 have Info1 only; the others both keys.
    EXPECT_EQ(descriptions::read(folder, "7-Low_High(1800-2500).mtx").info2, "");
    EXPECT_FALSE(descriptions::read(folder, "Dovan (2500-3000).mtx").info2.empty());
    // The QuEnc section keeps "QLB" in upper case and is still found by the file name.
    EXPECT_TRUE(descriptions::read(folder, "QuEnc Lower Bitrate (QLB).mtx").info1.starts_with("Made for QuEnc"));
}

} // namespace

TEST(DefaultDescriptions, ReadableWhenWrittenAloneAtStartUp) {
    TempFolder dir;
    dir.write("Matrix_Info.ini", defaultMatrixInfo());
    expectDefaultsReadable(dir.path());
    // A description added afterwards lands in its own section and the defaults stay readable.
    descriptions::write(dir / "Matrix_Info.ini", "Mine.mtx", "my text", " ");
    EXPECT_EQ(descriptions::read(dir.path(), "Mine.mtx").info1, "my text");
    expectDefaultsReadable(dir.path());
}

TEST(DefaultDescriptions, ReadableAfterARebuildWithTheUsersDescriptions) {
    TempFolder dir;
    const std::string custom = "[mine.mtx]\r\nInfo1=my first line\r\nInfo2=my second line\r\n";
    dir.write("Matrix_Info_Custom.ini", custom);
    ASSERT_TRUE(descriptions::rebuild(dir.path(), defaultMatrixInfo()));
    const std::string rebuilt = dir.read("Matrix_Info.ini");
    EXPECT_TRUE(rebuilt.starts_with(defaultMatrixInfo()));
    EXPECT_TRUE(rebuilt.ends_with(custom + "\r\n"));
    expectDefaultsReadable(dir.path());
    EXPECT_EQ(descriptions::read(dir.path(), "Mine.mtx").shown(), "my first line my second line");
    // The last default section does not swallow the user's keys.
    EXPECT_EQ(ini::GetValue("dovan (2500-3000).mtx", "Info2", dir / "Matrix_Info.ini"),
              "For bitrates from 2500 to 3000 kbps.");
}
