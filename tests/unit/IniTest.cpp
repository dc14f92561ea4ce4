// INI files: the profile strings (reading, replacing, adding and deleting values on content and on files,
// keeping every byte that an edit does not have to change), and the line scanner of the INI routines
// (exact, case-sensitive names) with their messages.
#include "app/IniManager.h"
#include "platform/ProfileString.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>

using namespace quire;
using namespace quire::ini;
using namespace quire::profile;
using quire::test::readBytes;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

struct Case {
    const char* what;
    std::string content, section, key;
    std::optional<std::string> value; // read: the value found; write: the value written
    std::string expected = {};        // write: the content afterwards
};

const std::nullopt_t missing = std::nullopt;

} // namespace

// Letter case, a missing section or key and an empty value are read through the files (ProfileFiles).
TEST(ProfileFindValue, ParsesLinesHeadersCommentsKeysNamesAndQuotes) {
    const std::string bytes = "\0junk\x01\r\n[S]\r\n\xFF\x80=\0\r\nk=a\0b\x80\xFF\r\n"s;
    const std::vector<Case> cases = {{"mixed line ends", "[S]\ra=1\nb=2\r\nc=3", "S", "c", "3"},
                                     {"blanks around everything", " \t[S]\v\r\n\t a \v= \t1 x \v\r\n", "S", "a", "1 x"},
                                     {"key-like text after ] is not a key", "[S]a=1\r\nb=2\r\n", "S", "a", missing},
                                     {"name stops at the first ]", "[a]b]\r\nk=v\r\n", "a", "k", "v"},
                                     {"no end-of-line comments", "[S]\r\nx=1 ; note\r\n", "S", "x", "1 ; note"},
                                     {"name ends at the first =", "[S]\r\na=b=c\r\n", "S", "a", "b=c"},
                                     {"lines before the first header", "a=1\r\n[S]\r\nb=2\r\n", "S", "a", missing},
                                     {"section ends at the next header", "[A]\r\n[B]\r\nk=1\r\n", "A", "k", missing},
                                     {"blank value", "[S]\r\nkey = \t\r\n", "S", "key", ""},
                                     {"=x has an empty name", "[S]\r\n=x\r\n", "S", "x", missing},
                                     {"outer spaces of arguments", "[Config]\r\nLanguage=English.lng\r\n", "  Config ",
                                      " Language  ", "English.lng"},
                                     {"first section answers", "[S]\r\na=1\r\n[s]\r\na=2\r\n", "s", "a", "1"},
                                     {"first matching key wins", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "1"},
                                     {"bytes pass through unchanged", bytes, "S", "k", "a\0b\x80\xFF"s}};
    for (const auto& c : cases)
        EXPECT_EQ(findValue(c.content, c.section, c.key), c.value) << c.what;
    // One pair of matching outer quotes goes.
    const std::vector<std::pair<std::string, std::string>> quoted = {
        {"'x y'", "x y"}, {"  \" x \"  ", " x "}, {"\"\"", ""},   {"\"\"x\"\"", "\"x\""},
        {"\"x'", "\"x'"}, {"\"", "\""},           {"\"x", "\"x"}, {"a \"b\"", "a \"b\""}};
    for (const auto& [raw, expected] : quoted)
        EXPECT_EQ(findValue("[S]\r\nk=" + raw + "\r\n", "S", "k"), expected) << raw;
}

TEST(ProfileWithValue, ReplacesInPlaceAddsAfterTheLastKeyLineAppendsNewSections) {
    const std::vector<Case> cases = {
        {"no final line end", "[S]\r\na=1", "S", "a", "9", "[S]\r\na=9"},
        {"name spelling kept", "[s]\r\n  MyKey \t=old\r\n", "S", "mykey", "new", "[s]\r\n  MyKey \t=new\r\n"},
        {"padding around = kept", "[S]\r\nk \t=  old value \r\n", "S", "k", "new", "[S]\r\nk \t=  new\r\n"},
        {"empty value", "[S]\r\nk = old\r\n", "S", "k", "", "[S]\r\nk =\r\n"},
        {"first of duplicate sections", "[S]\r\na=1\r\n[S]\r\nb=2\r\n", "s", "b", "3",
         "[S]\r\na=1\r\nb=3\r\n[S]\r\nb=2\r\n"},
        {"Windows-1252 names", "[\xC0Z]\r\nk=1\r\n", "\xE0z", "K", "2", "[\xC0Z]\r\nk=2\r\n"},
        {"other lines untouched", "top=1\n\r\n[S]\r\n\0x\0\r\n  a = 1  \n; c\r\n\r\n[T]\nb=2"s, "T", "b", "3",
         "top=1\n\r\n[S]\r\n\0x\0\r\n  a = 1  \n; c\r\n\r\n[T]\nb=3"s},
        {"before closing comment and blank", "[A]\r\na=1\r\n; note\r\n\r\n[B]\r\nb=2\r\n", "A", "n", "5",
         "[A]\r\na=1\r\nn=5\r\n; note\r\n\r\n[B]\r\nb=2\r\n"},
        {"no key lines: after the header", "[A]\r\n; c\r\n[B]\r\n", "A", "n", "5", "[A]\r\nn=5\r\n; c\r\n[B]\r\n"},
        {"last key without line end", "[A]\r\na=1", "A", "n", "5", "[A]\r\na=1\r\nn=5\r\n"},
        {"key before the first header is not the section's", "n=1\r\n[A]\r\n", "A", "n", "5", "n=1\r\n[A]\r\nn=5\r\n"},
        {"comment ;n does not hold n", "[A]\r\n;n=1\r\n", "A", "n", "5", "[A]\r\nn=5\r\n;n=1\r\n"},
        {"empty content", "", "Config", "k", "v", "[Config]\r\nk=v\r\n"},
        {"no final line end", "[A]\r\na=1", "B", "k", "v", "[A]\r\na=1\r\n[B]\r\nk=v\r\n"},
        {"content without sections", "x=1", "B", "k", "v", "x=1\r\n[B]\r\nk=v\r\n"},
        {"names trimmed", "", "  New Sec ", " k ", " v ", "[New Sec]\r\nk= v \r\n"},
        {"a section ends at its header", "[Ab]\r\n", "A", "k", "v", "[Ab]\r\n[A]\r\nk=v\r\n"}};
    for (const auto& c : cases)
        EXPECT_EQ(withValue(c.content, c.section, c.key, *c.value), c.expected) << c.what;
    const std::string content = "[S]\r\nk=1\r\n";
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"S", "  "}, {" ", "k"}, {"S", "a=b"}, {"S", "[x"}, {"S", ";x"}, {"a]b", "k"}, {"S", "a\nb"}, {"a\rb", "k"}};
    for (const auto& [section, key] : refused)
        EXPECT_EQ(withValue(content, section, key, "v"), content) << section << "/" << key;
}

TEST(ProfileWithout, KeyRemovesItsLineSectionKeepsOnlyComments) {
    const std::vector<Case> keys = {
        {"first key", "[S]\r\na=1\r\nb=2\r\n", "S", "A", "", "[S]\r\nb=2\r\n"},
        {"only key: header stays", "[S]\r\na=1\r\n[T]\r\n", "s", "a", "", "[S]\r\n[T]\r\n"},
        {"last line without line end", "[S]\r\na=1\r\nb=2", "S", "b", "", "[S]\r\na=1\r\n"},
        {"first of duplicate keys", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "", "[S]\r\nk=2\r\n"},
        {"second of duplicate sections", "[S]\r\n[S]\r\na=1\r\n", "S", "a", "", "[S]\r\n[S]\r\na=1\r\n"},
        {"comment is no key", "[S]\r\n;a=1\r\n", "S", ";a", "", "[S]\r\n;a=1\r\n"},
        {"before the first header", "a=1\r\n[S]\r\n", "S", "a", "", "a=1\r\n[S]\r\n"}};
    for (const auto& c : keys)
        EXPECT_EQ(withoutKey(c.content, c.section, c.key), c.expected) << c.what;
    const std::vector<Case> sections = {
        {"keeps comments", "[A]\r\na=1\r\n; keep\r\n\r\njunk\r\n  ;also\n[B]\r\nb=2\r\n", "a", "", "",
         "; keep\r\n  ;also\n[B]\r\nb=2\r\n"},
        {"last section", "top\r\n[A]\r\na=1", "A", "", "", "top\r\n"},
        {"comment without line end at the end", "[A]\r\na=1\r\n;c", "A", "", "", ";c"},
        {"only the first of duplicates", "[A]\r\na=1\r\n[B]\r\n[a]\r\na=2\r\n", "A", "", "", "[B]\r\n[a]\r\na=2\r\n"},
        {"blanks in header and argument", "[ \xC0 ]\r\nk=1\r\n[B]\n", " \xE0 ", "", "", "[B]\n"},
        {"empty name", "[]\r\na=1\r\n", "", "", "", "[]\r\na=1\r\n"}};
    for (const auto& c : sections)
        EXPECT_EQ(withoutSection(c.content, c.section), c.expected) << c.what;
}

// Whatever bytes a file holds, an edit keeps every one of them and reads back what it wrote.
TEST(ProfileRobustness, BinaryJunkKeepsItsBytes) {
    std::mt19937 random(1252);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 6; ++round) {
        std::string junk(4096 + round * 997, '\0');
        for (char& c : junk)
            c = static_cast<char>(byte(random));
        const std::string written = withValue(junk, "Quire Junk Test", "Key", "value");
        EXPECT_EQ(findValue(written, "Quire Junk Test", "Key"), "value");
        EXPECT_EQ(written.substr(0, junk.size()), junk);
        EXPECT_EQ(withoutSection(written, "Quire Junk Test").substr(0, junk.size()), junk);
        EXPECT_EQ(withoutKey(junk, "Quire Junk Test", "Key"), junk);
    }
}

TEST(ProfileFiles, ReadWithDefaultsAndBufferCutDeleteInNoFile) {
    TempFolder folder;
    const auto ini = folder.write("Editor.ini", "[Config]\r\nLanguage=English.lng\r\nLong=" + std::string(300, 'a') +
                                                    "\r\nEmpty=\r\n");
    const std::vector<std::tuple<fs::path, std::string, std::string, std::size_t, std::string>> reads = {
        {ini, "CONFIG", "language", 255, "English.lng"},
        {ini, "Config", "Long", 255, std::string(254, 'a')},
        {ini, "Config", "Missing", 255, "def"},
        {folder / "none.ini", "Config", "Language", 255, "def"},
        {ini, "Config", "Language", 5, "Engl"},
        {ini, "Config", "Missing", 3, "de"},
        {ini, "Config", "Language", 0, ""}};
    for (const auto& [file, section, key, size, expected] : reads)
        EXPECT_EQ(getString(file, section, key, "def", size), expected) << section << "/" << key << " " << size;

    // Writing a new file and its sections is start-up's Editor.ini check, deleting lines IniScanner's.
    EXPECT_TRUE(deleteKey(folder / "none.ini", "a", "b"));
    EXPECT_TRUE(deleteSection(folder / "none.ini", "a"));
    EXPECT_FALSE(fs::exists(folder / "none.ini"));
    EXPECT_FALSE(deleteSection(folder.path(), "a"));
}

TEST(ProfileFiles, AFileThatCannotBeWrittenOrNeedNotChangeStaysAsItWas) {
    TempFolder folder;
    EXPECT_FALSE(writeString(folder / "missing" / "Editor.ini", "Config", "Language", "English.lng") ||
                 writeString(folder.path(), "Config", "Language", "English.lng") ||
                 writeString(folder / "x.ini", "Config", "", "v"));
    EXPECT_TRUE(fs::is_empty(folder.path()));

    const std::string bytes = "[Config]\nLanguage = English.lng  \n; c\r\n";
    const auto ini = folder.write("Editor.ini", bytes);
    const auto old = fs::last_write_time(ini) - std::chrono::hours(24);
    fs::last_write_time(ini, old);
    EXPECT_TRUE(writeString(ini, "CONFIG", "language", "English.lng") && deleteKey(ini, "Config", "Player") &&
                deleteSection(ini, "Colors"));
    EXPECT_EQ(readBytes(ini), bytes);
    EXPECT_EQ(fs::last_write_time(ini), old);

    fs::permissions(ini, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(writeString(ini, "Config", "Language", "Deutch.lng") || deleteKey(ini, "Config", "Language") ||
                 deleteSection(ini, "Config"));
    EXPECT_EQ(readBytes(ini), bytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

namespace {

const std::string kCaseLine = "\nVerify spelling and capitilization is correct.  Case-sensative.";

// A control file in the shape of the host project's.
const std::string kEcl = "[Config]\r\nInfo1=one\r\nInfo2=two\r\nNote without equals\r\n"
                         "[vts_01]\r\nframes=100\r\nbitrate=4000\r\n[last]\r\na=1\r\nb=2\r\n";

class IniScanner : public ::testing::Test {
protected:
    TempFolder dir;
    std::filesystem::path file = dir.write("p.ecl", kEcl);
    ScriptedPrompter prompter;
};

} // namespace

TEST_F(IniScanner, LineRulesExactNamesKeyPrefixesCountsAndNames) {
    EXPECT_TRUE(IsSection("[Config]") && IsSection("[]"));
    EXPECT_FALSE(IsSection(" [Config]") || IsSection("[Config] ") || IsSection(""));
    EXPECT_TRUE(IsKey("a=b") && IsKey("=") && IsKey("; comment = still a key line here"));
    EXPECT_FALSE(IsKey("plain"));
    EXPECT_TRUE(SectionExists(prompter, file, "Config") && !SectionExists(prompter, file, "CONFIG") &&
                !SectionExists(prompter, file, " Config"));
    // A name matches the start of a key line, in its exact letter case; frames belongs to the next
    // section and Note is no key line.
    std::string found;
    for (const char* key : {"Info", "Info2", "info1", "frames", "Note"})
        found += KeyExists(prompter, file, "Config", key) ? "1" : "0";
    EXPECT_EQ(found + (KeyExists(prompter, file, "last", "b") ? "1" : "0"), "110001");
    EXPECT_EQ(NumSections(prompter, file), 3);
    EXPECT_EQ(std::to_string(NumKeys(prompter, file, "Config")) + std::to_string(NumKeys(prompter, file, "vts_01")) +
                  std::to_string(NumKeys(prompter, file, "last")),
              "222");
    EXPECT_EQ(GetSectionName(prompter, file, 0) + " " + GetSectionName(prompter, file, 2), "Config last");
    EXPECT_EQ(GetKeyName(prompter, file, 1, 0) + " " + GetKeyName(prompter, file, 1, 1) + " " +
                  GetKeyName(prompter, file, 0, 1),
              "frames bitrate Info2");
    EXPECT_TRUE(prompter.shown().empty());
    // The last section counts the file's last line whatever it holds.
    const std::vector<std::pair<std::string, int>> last = {
        {"[s]\r\na=1\r\nb=2\r\n\r\n", 3}, {"[s]\r\na=1\r\nb=2", 2}, {"[s]\na=1\n\n[t]\nx=1\n", 1}};
    for (const auto& [content, keys] : last)
        EXPECT_EQ(NumKeys(prompter, dir.write("a.ini", content), "s"), keys) << content;
}

TEST_F(IniScanner, MessagesForAnIndexOutOfRangeAMissingFileSectionOrKey) {
    EXPECT_EQ(kProjectMessage, "There's no data, on the ECL file, about this segment!!!\n"
                               "Please, run Tessera's 'Prepare Phase' before using this function.");
    const std::string project(kProjectMessage);
    prompter.expect(project).expect(project).expect(project).expect(project);
    EXPECT_EQ(GetSectionName(prompter, file, 3) + GetSectionName(prompter, dir / "missing.ecl", 0) +
                  GetKeyName(prompter, file, 1, 2) + GetKeyName(prompter, file, 3, 0),
              "");
    const auto missing = dir / "gone.ecl";
    prompter.expect(missing.string() + " not found.");
    EXPECT_EQ(NumSections(prompter, missing), 0);
    prompter.expect("Section, CONFIG, Not Found. ~(NumKeys)" + kCaseLine);
    EXPECT_EQ(NumKeys(prompter, file, "CONFIG"), 0);
    prompter.expect("Section, nope, Not Found. ~(KeyExists)" + kCaseLine);
    EXPECT_FALSE(KeyExists(prompter, file, "nope", "a"));
    ASSERT_EQ(prompter.shown().size(), 7u);
    const auto& shown = prompter.shown();
    EXPECT_EQ(shown[0].title + "|" + shown[4].title + "|" + shown[5].title, "Quire|File Not Found|Section Not Found.");
    EXPECT_EQ((std::vector<PromptIcon>{shown[0].icon, shown[4].icon, shown[5].icon}),
              (std::vector<PromptIcon>{PromptIcon::None, PromptIcon::Critical, PromptIcon::Information}));
}

TEST_F(IniScanner, DeleteKeyAndSectionCheckFileSectionAndKey) {
    prompter.expect("Section, vts_02, Not Found. ~(DeleteKey)" + kCaseLine);
    EXPECT_EQ(DeleteKey(prompter, file, "vts_02", "frames"), 0);
    prompter.expect("Key, speed, Not Found. ~(DeleteKey)" + kCaseLine);
    EXPECT_EQ(DeleteKey(prompter, file, "vts_01", "speed"), 0);
    EXPECT_EQ(prompter.shown().back().title, "Key Not Found.");
    EXPECT_EQ(dir.read("p.ecl"), kEcl);
    EXPECT_EQ(DeleteKey(prompter, file, "vts_01", "frames"), 1);
    EXPECT_EQ(ini::GetValue("vts_01", "frames", file) + "|" + ini::GetValue("vts_01", "bitrate", file), "|4000");
    prompter.expect((dir / "none.ecl").string() + " not found.");
    EXPECT_EQ(DeleteKey(prompter, dir / "none.ecl", "vts_01", "frames"), 0);

    EXPECT_EQ(DeleteSection(prompter, file, "VTS_01"), 1);
    EXPECT_EQ(ini::GetValue("vts_01", "bitrate", file) + "|" + ini::GetValue("last", "a", file), "|1");
    prompter.expect((dir / "x.ini").string() + " not found.");
    EXPECT_EQ(DeleteSection(prompter, dir / "x.ini", "s"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.ini"));
}

TEST_F(IniScanner, GetValueCutsAt254ProjectValueAtNulSetValueCreatesFileAndSection) {
    const auto values = dir.write("e.ini", "[Config]\r\nLong=" + std::string(300, 'v') + "\r\nNul=ab" +
                                               std::string(1, '\0') + "cd\r\n");
    EXPECT_EQ(ini::GetValue("Config", "Long", values), std::string(254, 'v'));
    EXPECT_EQ(ini::GetProjectValue(prompter, values, "Config", "Nul"), "ab");
    prompter.expect(std::string(kProjectMessage));
    EXPECT_EQ(ini::GetProjectValue(prompter, dir / "missing.inf", "Config", "Nul"), "");
    const auto editor = dir / "Editor.ini";
    ini::SetValue("Config", "Language", "English.lng", editor);
    EXPECT_EQ(dir.read("Editor.ini") + ini::GetValue("Config", "Missing", editor),
              "[Config]\r\nLanguage=English.lng\r\n");
}
