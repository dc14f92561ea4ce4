// The platform layer: Windows-1252 text, Windows command lines, Wine paths, whole-file writes,
// folder creation and the folder picker, and the debug log.
#include "app/BugTrack.h"
#include "app/Folders.h"
#include "platform/CommandLine.h"
#include "platform/FileIo.h"
#include "platform/Text1252.h"
#include "platform/WinePath.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"
#include "ui/BrowseForFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace quire;
using quire::test::describe;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;
namespace fs = std::filesystem;
using Args = std::vector<std::string>;

TEST(Text1252, SplitLinesTrimBlanksAndLowerCase) {
    const std::pair<std::string, Args> lines[] = {
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}}, {"a\r\n\r\n", {"a", ""}}, {"a\r\rb", {"a", "", "b"}}, {"", {}}};
    for (const auto& [text, split] : lines)
        EXPECT_EQ(text::splitLines(text), split) << testing::PrintToString(text);
    EXPECT_EQ(text::trimBlanks(" \t\vvalue x\t \v"), "value x");
    EXPECT_EQ(text::trimBlanks("\r\nx\n"), "\r\nx\n");
    EXPECT_EQ(text::trimBlanks("   "), "");
    // A..Z and À..Þ (but the multiplication sign) and Š Œ Ž Ÿ lower; ß and the rest pass through.
    EXPECT_EQ(text::toLower("ABC xyz 1-High_High(4000+).MTX \xC0\xC9\xDE\xD7 \x8A\x8C\x8E\x9F \xDF\xE0\xFF 9!"),
              "abc xyz 1-high_high(4000+).mtx \xE0\xE9\xFE\xD7 \x9A\x9C\x9E\xFF \xDF\xE0\xFF 9!");
}

TEST(Text1252, EveryByteRoundTripsThroughUtf8AndInvalidUtf8OrWhatWindows1252CannotHoldIsRefused) {
    // Every byte, NUL and the ones Windows-1252 leaves undefined too.
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(text::fromUtf8(text::toUtf8(all)), std::optional<std::string>(all));
    EXPECT_EQ(text::toUtf8("Portugu\xEAs \x80"), "Português €");
    EXPECT_EQ(text::fromUtf8("Français Œ “x”"), std::optional<std::string>("Fran\xE7"
                                                                           "ais \x8C \x93x\x94"));
    // Overlong forms of "/" in two, three and four bytes and of U+07FF; a surrogate; beyond U+10FFFF; a
    // lead byte past 0xF4; a sequence cut short; a continuation byte without a lead, a lead without one;
    // 0xFF; and characters that Windows-1252 lacks (U+0080 has no byte of its own).
    for (const std::string bad :
         {"\xC0\xAF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF", "\xE0\x9F\xBF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
          "\xF5\x80\x80\x80", "\xC3", "\x80", "\xC3\x28", "\xFF", "Ελληνικά", "\xC2\x80"}) {
        SCOPED_TRACE(testing::PrintToString(bad));
        EXPECT_FALSE(text::fromUtf8(bad) || text::fromUtf8("name" + bad + "x"));
    }
}

TEST(CommandLine, SplitsByTheWindowsRules) {
    const std::pair<const char*, Args> cases[] = {
        // Blanks separate; runs of blanks and tabs count once; the ends are ignored.
        {"  a \t b  ", {"a", "b"}},
        // Quotes group blanks; one left open runs to the end.
        {R"("a b" c)", {"a b", "c"}},
        {R"("unterminated quote)", {"unterminated quote"}},
        // Backslashes are literal unless they stand before a quote (the round trip below has more).
        // 2n backslashes + quote: n backslashes and the quote opens or closes.
        {R"("a\\" b)", {R"(a\)", "b"}},
        {R"(a\\\\"b c")", {R"(a\\b c)"}},
        // 2n+1 backslashes + quote: n backslashes and a literal quote.
        {R"(a\"b c)", {R"(a"b)", "c"}},
        // "" inside quotes: a literal quote, and the quoted part goes on.
        {R"("a""b c")", {R"(a"b c)"}}};
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(splitCommandLine(line), expected) << line;
}

TEST(CommandLine, QuotesPathsAsWrittenAndTheyComeBack) {
    // Ordinary paths are wrapped unchanged; a quote inside and backslashes at the end are escaped.
    const std::pair<const char*, const char*> quoted[] = {{R"(C:\Quire\QuantDump.exe)", R"("C:\Quire\QuantDump.exe")"},
                                                          {R"(a"b)", R"("a\"b")"},
                                                          {R"(dir\)", R"("dir\\")"}};
    for (const auto& [text, argument] : quoted)
        EXPECT_EQ(quoteArgument(text), argument);
    for (const char* text : {"with blank", "", R"(quote"inside)", R"(trailing\)", R"(two\\)", R"(back\"slash)",
                             R"(""")", R"(\\server\share\)"}) {
        const std::string line = quoteArgument("prog") + " " + quoteArgument(text) + " " + quoteArgument(text);
        EXPECT_EQ(splitCommandLine(line), (Args{"prog", text, text})) << text;
    }
}

TEST(WinePath, MapsDrivesAndSeparators) {
    TempFolder temp;
    const fs::path prefix = temp / "wine";
    fs::create_directories(prefix / "dosdevices");
    const fs::path inPrefix = prefix / "drive_c" / "Tessera" / "Tessera.ini";
    const fs::path outside = temp / "elsewhere" / "Tessera.ini";
    const std::tuple<const char*, fs::path, fs::path> cases[] = {
        {"Z:\\srv\\dvd\\\\work\\", inPrefix, "/srv/dvd/work/"},
        {"C:\\Work\\D2VAVS", inPrefix, prefix / "dosdevices" / "c:" / "Work/D2VAVS"},
        {"C:\\Work", outside, "C:/Work"},
        {"Work\\D2VAVS", outside, temp / "elsewhere" / "Work/D2VAVS"}};
    for (const auto& [text, referring, expected] : cases)
        EXPECT_EQ(winePath(text, referring), expected) << text;
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

TEST(WriteFileAtomic, ReplacesWholeKeepsReadOnlyFilesAndReadsBack) {
    TempFolder dir;
    const auto file = dir.write("Editor.ini", "old");
    ASSERT_TRUE(fileio::writeFileAtomic(file, "new content"));
    EXPECT_EQ(fileio::readFile(file), std::optional<std::string>("new content"));
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_FALSE(fileio::writeFileAtomic(file, "changed") || fileio::writeFileAtomic(dir / "no-folder" / "x.ini", "x"));
    EXPECT_EQ(dir.read("Editor.ini"), "new content");
    EXPECT_EQ(entries(dir.path()), 1u); // no temporary file is left behind
    EXPECT_FALSE(fileio::readFile(dir / "none").has_value() || fileio::readFile(dir.path()).has_value());
}

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
    EXPECT_TRUE(fs::is_symlink(dir / "home" / "Tessera.ini") && fs::is_symlink(dir / "home" / "hop.ini"));
    EXPECT_EQ(dir.read("prefix/drive_c/Tessera/Tessera.ini"), "[Paths]\r\nWorking=C:\\new\r\n");
    // Mode and owner kept, and no temporary file left beside the target or the links.
    const struct stat after = statOf(target);
    EXPECT_EQ(std::tuple(after.st_mode & 07777, root ? after.st_uid : kOtherUser, entries(target.parent_path()),
                         entries(dir / "home")),
              std::tuple(0640u, kOtherUser, 1u, 2u));

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
    EXPECT_FALSE(writeAsOtherUser(readOnly, "changed"));
    EXPECT_EQ(dir.read("shared.ini") + " " + dir.read("readonly.ini"), "new old mine");
    EXPECT_EQ(std::tuple(statOf(shared).st_uid, statOf(shared).st_mode & 07777, statOf(readOnly).st_uid),
              std::tuple(0u, 0646u, 0u));
    EXPECT_EQ(entries(dir.path()), 2u);
}

TEST(Folders, CreatePathMakesEveryMissingFolderAndBrowseKeepsTheBlanksOfAFolderName) {
    TempFolder dir;
    ScriptedPrompter prompter;
    // Made, then already there.
    EXPECT_TRUE(CreateFolderPath(prompter, dir / "a/b/c") && fs::is_directory(dir / "a/b/c") &&
                CreateFolderPath(prompter, dir / "a/b/c") && prompter.shown().empty());

    dir.write("plain", "x");
    prompter.expect(std::string(kCreateFolderMessage));
    EXPECT_FALSE(CreateFolderPath(prompter, dir / "plain/sub"));
    EXPECT_EQ(describe(prompter.shown().at(0)), "Quire|ok|exclamation|" + std::string(kCreateFolderMessage));
    EXPECT_TRUE(kCreateFolderMessage.starts_with("Could not Create Destination Folder. You can't run this program "
                                                 "from a drive root... please put it inside a folder!\n\nN\xE3o foi"));

    // A chosen folder: the root as "/", others without a trailing separator, empty text on cancel.
    const std::pair<const char*, const char*> cases[] = {
        {"/", "/"}, {"/home//user///Matrices//", "/home/user/Matrices"}, {"/home/user/Videos ", "/home/user/Videos "}};
    for (const auto& [chosen, result] : cases)
        EXPECT_EQ(normaliseChosenFolder(chosen), result) << chosen;
    prompter.expectFolder("/srv/tessera/").expectFolder("");
    EXPECT_EQ(BrowseForFolder(prompter, "Select the Tessera.exe Folder"), "/srv/tessera");
    EXPECT_EQ(BrowseForFolder(prompter, "Select the Matrices Folder"), "");
    EXPECT_EQ(prompter.fileDialogTitles(), (Args{"Select the Tessera.exe Folder", "Select the Matrices Folder"}));
}

TEST(BugTrack, StartEmptiesTheFileThenEntriesAndSeparatorAppend) {
    std::tm at{};
    at.tm_year = 126, at.tm_mon = 0, at.tm_mday = 2, at.tm_hour = 3, at.tm_min = 4, at.tm_sec = 5;
    TempFolder dir;
    dir.write("BUG.DEB", "old content from an earlier run\r\n");
    const BugTrack log(dir.path(), [at] { return at; });
    log.start();
    EXPECT_EQ(dir.read("BUG.DEB"), "TESSERA MATRIX EDITOR (Quire) STARTED\r\n");
    log.BugLog("MA0010: OK");
    log.separator();
    EXPECT_EQ(dir.read("BUG.DEB"), "TESSERA MATRIX EDITOR (Quire) STARTED\r\n2026/01/02 | 03:04:05 --> MA0010: OK\r\n" +
                                       std::string(86, '-') + "\r\n\r\n");
    // A missing folder is not an error.
    const BugTrack nowhere(dir / "no-such-folder");
    nowhere.start();
    nowhere.BugLog("MA0002: Language read OK");
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
}
