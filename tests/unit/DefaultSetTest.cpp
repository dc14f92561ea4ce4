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

TEST(WriteDefaultMatrices, WritesSixteenFilesRestoringAnEditedPresetAndLeavingUserFilesAlone) {
    TempFolder dir;
    dir.write("4-Medium_High(3200-4000).mtx", "99 99 99 99 99 99 99 99\r\n");
    dir.write("My Own.mtx", "user bytes");
    dir.write("4-medium_high(3200-4000).MTX.bak", "backup");
    EXPECT_EQ(WriteDefaultMatrices(dir.path()), 16);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 18);
    for (const auto name : kDefaultMatrixNames) {
        const std::string bytes = dir.read(name);
        // Sixteen lines of values, then an empty line.
        EXPECT_EQ(bytes, std::string(defaultMatrixText(name)) + "\r\n") << name;
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 17) << name;
        EXPECT_TRUE(bytes.ends_with("\r\n\r\n") && !bytes.ends_with("\r\n\r\n\r\n")) << name;
    }
    EXPECT_TRUE(
        dir.read("4-Medium_High(3200-4000).mtx").starts_with("08 16 19 22 26 27 29 34\r\n16 16 22 24 27 29 34 37\r\n"));
    EXPECT_EQ(dir.read("My Own.mtx"), "user bytes");
    EXPECT_EQ(dir.read("4-medium_high(3200-4000).MTX.bak"), "backup");
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
    // Per preset: f a file, d a folder, - nothing.
    const auto kinds = [&](const char* folder) {
        std::string out;
        for (const auto name : kDefaultMatrixNames)
            out += fs::is_regular_file(dir / folder / name) ? 'f' : fs::is_directory(dir / folder / name) ? 'd' : '-';
        return out;
    };
    EXPECT_EQ(kinds("folder"), "ffffd-----------");
    EXPECT_EQ(kinds("locked"), "ff--------------");
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

TEST(DefaultDescriptions, ReadableWhenWrittenAloneAtStartUpAndAfterARebuildWithTheUsersDescriptions) {
    TempFolder dir;
    dir.write("Matrix_Info.ini", defaultMatrixInfo());
    expectDefaultsReadable(dir.path());
    // A description added afterwards lands in its own section and the defaults stay readable.
    descriptions::write(dir / "Matrix_Info.ini", "Mine.mtx", "my text", " ");
    EXPECT_EQ(descriptions::read(dir.path(), "Mine.mtx").info1, "my text");
    expectDefaultsReadable(dir.path());

    const std::string custom = "[mine.mtx]\r\nInfo1=my first line\r\nInfo2=my second line\r\n";
    dir.write("Matrix_Info_Custom.ini", custom);
    ASSERT_TRUE(descriptions::rebuild(dir.path(), defaultMatrixInfo()));
    EXPECT_EQ(dir.read("Matrix_Info.ini"), std::string(defaultMatrixInfo()) + "\r\n" + custom + "\r\n");
    expectDefaultsReadable(dir.path());
    EXPECT_EQ(descriptions::read(dir.path(), "Mine.mtx").shown(), "my first line my second line");
    // The last default section does not swallow the user's keys.
    EXPECT_EQ(ini::GetValue("dovan (2500-3000).mtx", "Info2", dir / "Matrix_Info.ini"),
              "For bitrates from 2500 to 3000 kbps.");
}
