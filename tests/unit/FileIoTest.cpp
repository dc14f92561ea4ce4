// Whole-file writes that never leave a half-written or read-only file changed, and folder listings
// in the order Windows gives them.
#include "platform/FileIo.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quire;
using quire::test::TempFolder;
namespace fs = std::filesystem;

TEST(ListFiles, PatternsMatchWithoutRegardToCaseInWindowsOrder) {
    TempFolder dir;
    for (const char* name : {"English.lng", "NEW.LNG", "mixed.LnG", "a.lng", ".lng", "lng", "English.txt",
                             "notes.lng.bak", "English.lngx", "English.lng ", "Englishlng", ".hidden.lng"})
        dir.write("lng/" + std::string(name), "x");
    std::filesystem::create_directories(dir / "lng/folder.lng");
    EXPECT_EQ(fileio::listFiles(dir / "lng", {".lng"}),
              (std::vector<std::string>{"a.lng", "English.lng", "mixed.LnG", "NEW.LNG"}));
    for (const char* name : {"VTS_01_2.VOB", "vts_01_1.vob", "clip.m2v", "B.mpg", "a.MPEG", "x.mpv", "z.txt",
                             "\xC3\x89t\xC3\xA9.vob", "b.mpg"})
        dir.write("video/" + std::string(name), "x");
    const std::vector<std::string> expected = {"a.MPEG",       "B.mpg",        "b.mpg", "clip.m2v",
                                               "vts_01_1.vob", "VTS_01_2.VOB", "x.mpv", "\xC3\x89t\xC3\xA9.vob"};
    EXPECT_EQ(fileio::listFiles(dir / "video", {".vob", ".m2v", ".mpv", ".mpg", ".mpeg"}), expected);
    EXPECT_TRUE(fileio::listFiles(dir / "missing", {".vob"}).empty());
}

TEST(WriteFileAtomic, ReplacesWholeKeepsReadOnlyFilesAndReadsBack) {
    TempFolder dir;
    const auto file = dir.write("Editor.ini", "old");
    ASSERT_TRUE(fileio::writeFileAtomic(file, "new content"));
    EXPECT_EQ(fileio::readFile(file), std::optional<std::string>("new content"));
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_FALSE(fileio::writeFileAtomic(file, "changed"));
    EXPECT_EQ(dir.read("Editor.ini"), "new content");
    EXPECT_FALSE(fileio::writeFileAtomic(dir / "no-folder" / "x.ini", "x"));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    EXPECT_FALSE(fileio::readFile(dir / "none").has_value());
    EXPECT_FALSE(fileio::readFile(dir.path()).has_value());
    EXPECT_EQ(fileio::readFile(dir.write("empty", "")), std::optional<std::string>(""));
}

namespace {

constexpr uid_t kOtherUser = 65534;

struct stat statOf(const fs::path& file) {
    struct stat st {};
    EXPECT_EQ(::lstat(file.c_str(), &st), 0) << file;
    return st;
}

std::size_t entries(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Runs the write in a child process that has become another user; true when the write succeeded.
bool writeAsOtherUser(const fs::path& file, std::string_view bytes) {
    const pid_t child = ::fork();
    if (child == 0) {
        const bool ok = ::setgid(kOtherUser) == 0 && ::setuid(kOtherUser) == 0 && fileio::writeFileAtomic(file, bytes);
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

// Settings files are often links into a Wine prefix: writing through a link used to replace the
// link with a plain file of the writer's, so Tessera never saw the change.
TEST(WriteFileAtomic, WritesAtTheEndOfALinkChainKeepingOwnerAndPermissions) {
    TempFolder dir;
    const auto target = dir.write("prefix/drive_c/Tessera/Tessera.ini", "[Paths]\r\nWorking=C:\\old\r\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(target.c_str(), kOtherUser, kOtherUser), 0);
    }
    fs::create_directories(dir / "home");
    fs::create_symlink(target, dir / "home" / "hop.ini");        // absolute
    fs::create_symlink("hop.ini", dir / "home" / "Tessera.ini"); // relative to its folder
    ASSERT_TRUE(fileio::writeFileAtomic(dir / "home" / "Tessera.ini", "[Paths]\r\nWorking=C:\\new\r\n"));
    EXPECT_TRUE(fs::is_symlink(dir / "home" / "Tessera.ini"));
    EXPECT_TRUE(fs::is_symlink(dir / "home" / "hop.ini"));
    EXPECT_EQ(dir.read("prefix/drive_c/Tessera/Tessera.ini"), "[Paths]\r\nWorking=C:\\new\r\n");
    const struct stat after = statOf(target);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(after.st_uid, kOtherUser);
    }
    // No temporary file is left beside the target or the links.
    EXPECT_EQ(entries(target.parent_path()), 1u);
    EXPECT_EQ(entries(dir / "home"), 2u);

    // A link to a file not yet made creates it at the target; a chain that never ends writes nothing.
    fs::create_symlink("../prefix/new.ini", dir / "home" / "new.ini");
    ASSERT_TRUE(fileio::writeFileAtomic(dir / "home" / "new.ini", "x"));
    EXPECT_EQ(dir.read("prefix/new.ini"), "x");
    EXPECT_TRUE(fs::is_symlink(dir / "home" / "new.ini"));
    fs::create_symlink("b.ini", dir / "home" / "a.ini");
    fs::create_symlink("a.ini", dir / "home" / "b.ini");
    EXPECT_FALSE(fileio::writeFileAtomic(dir / "home" / "a.ini", "x"));
    EXPECT_EQ(entries(dir / "home"), 5u);
}

// Another user's file that the writer may write keeps its owner, and one the writer may only read
// stays as it is: a renamed-in copy used to take both over.
TEST(WriteFileAtomic, AnotherUsersFileKeepsItsOwner) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as two users";
    TempFolder dir;
    fs::permissions(dir.path(), fs::perms::all);
    const auto shared = dir.write("shared.ini", "old shared");
    const auto readOnly = dir.write("readonly.ini", "old mine");
    fs::permissions(shared, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                fs::perms::others_read | fs::perms::others_write);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    EXPECT_TRUE(writeAsOtherUser(shared, "new"));
    EXPECT_EQ(dir.read("shared.ini"), "new");
    EXPECT_EQ(statOf(shared).st_uid, 0u);
    EXPECT_EQ(statOf(shared).st_mode & 07777, 0646u);
    EXPECT_FALSE(writeAsOtherUser(readOnly, "changed"));
    EXPECT_EQ(dir.read("readonly.ini"), "old mine");
    EXPECT_EQ(statOf(readOnly).st_uid, 0u);
    EXPECT_EQ(entries(dir.path()), 2u);
}
