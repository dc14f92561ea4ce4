// The line scanner of the INI routines (exact, case-sensitive names) and their messages.
#include "app/IniManager.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::ini;
using quire::test::ScriptedPrompter;
using quire::test::TempFolder;

namespace {

const std::string kCaseLine = "\nVerify spelling and capitilization is correct.  Case-sensative.";

// A control file in the shape of the host project's.
const std::string kEcl = "[Config]\r\n"
                         "Info1=one\r\n"
                         "Info2=two\r\n"
                         "Note without equals\r\n"
                         "[vts_01]\r\n"
                         "frames=100\r\n"
                         "bitrate=4000\r\n"
                         "[last]\r\n"
                         "a=1\r\n"
                         "b=2\r\n";

} // namespace

TEST(IniScanner, LineRules) {
    EXPECT_TRUE(IsSection("[Config]"));
    EXPECT_TRUE(IsSection("[]"));
    EXPECT_FALSE(IsSection(" [Config]"));
    EXPECT_FALSE(IsSection("[Config] "));
    EXPECT_FALSE(IsSection(""));
    EXPECT_TRUE(IsKey("a=b"));
    EXPECT_TRUE(IsKey("="));
    EXPECT_TRUE(IsKey("; comment = still a key line here"));
    EXPECT_FALSE(IsKey("plain"));
}

TEST(IniScanner, SectionExistsIsCaseSensitiveAndExact) {
    TempFolder dir;
    const auto file = dir.write("p.ecl", kEcl);
    ScriptedPrompter prompter;
    EXPECT_TRUE(SectionExists(prompter, file, "Config"));
    EXPECT_FALSE(SectionExists(prompter, file, "CONFIG"));
    EXPECT_FALSE(SectionExists(prompter, file, " Config"));
    // The profile functions find it all the same.
    EXPECT_EQ(GetValue("CONFIG", "INFO1", file), "one");
}

TEST(IniScanner, KeyExistsMatchesPrefixWithinItsSection) {
    TempFolder dir;
    const auto file = dir.write("p.ecl", kEcl);
    ScriptedPrompter prompter;
    EXPECT_TRUE(KeyExists(prompter, file, "Config", "Info"));
    EXPECT_TRUE(KeyExists(prompter, file, "Config", "Info2"));
    EXPECT_FALSE(KeyExists(prompter, file, "Config", "info1"));
    EXPECT_FALSE(KeyExists(prompter, file, "Config", "frames")); // belongs to the next section
    EXPECT_FALSE(KeyExists(prompter, file, "Config", "Note"));   // not a key line
    EXPECT_TRUE(KeyExists(prompter, file, "last", "b"));
}

TEST(IniScanner, CountsSectionsAndKeys) {
    TempFolder dir;
    const auto file = dir.write("p.ecl", kEcl);
    ScriptedPrompter prompter;
    EXPECT_EQ(NumSections(prompter, file), 3);
    EXPECT_EQ(NumKeys(prompter, file, "Config"), 2);
    EXPECT_EQ(NumKeys(prompter, file, "vts_01"), 2);
    EXPECT_EQ(NumKeys(prompter, file, "last"), 2);
}

TEST(IniScanner, LastSectionCountsTheFilesLastLineWhateverItHolds) {
    TempFolder dir;
    ScriptedPrompter prompter;
    EXPECT_EQ(NumKeys(prompter, dir.write("a.ini", "[s]\r\na=1\r\nb=2\r\n\r\n"), "s"), 3);
    EXPECT_EQ(NumKeys(prompter, dir.write("b.ini", "[s]\r\na=1\r\nb=2"), "s"), 2);
    EXPECT_EQ(NumKeys(prompter, dir.write("c.ini", "[s]\r\na=1\r\ntrailing words\r\n"), "s"), 2);
    EXPECT_EQ(NumKeys(prompter, dir.write("d.ini", "[s]\r\n"), "s"), 0);
    EXPECT_EQ(NumKeys(prompter, dir.write("e.ini", "[s]\na=1\n\n[t]\nx=1\n"), "s"), 1);
}

TEST(IniScanner, NamesByIndex) {
    TempFolder dir;
    const auto file = dir.write("p.ecl", kEcl);
    ScriptedPrompter prompter;
    EXPECT_EQ(GetSectionName(prompter, file, 0), "Config");
    EXPECT_EQ(GetSectionName(prompter, file, 2), "last");
    EXPECT_EQ(GetKeyName(prompter, file, 1, 0), "frames");
    EXPECT_EQ(GetKeyName(prompter, file, 1, 1), "bitrate");
    EXPECT_EQ(GetKeyName(prompter, file, 0, 1), "Info2");
}

TEST(IniScanner, IndexOutOfRangeShowsTheProjectMessage) {
    TempFolder dir;
    const auto file = dir.write("p.ecl", kEcl);
    ScriptedPrompter prompter;
    prompter.expect(std::string(kProjectMessage)).expect(std::string(kProjectMessage));
    prompter.expect(std::string(kProjectMessage)).expect(std::string(kProjectMessage));
    EXPECT_EQ(GetSectionName(prompter, file, 3), "");
    EXPECT_EQ(GetSectionName(prompter, dir / "missing.ecl", 0), "");
    EXPECT_EQ(GetKeyName(prompter, file, 1, 2), "");
    EXPECT_EQ(GetKeyName(prompter, file, 3, 0), "");
    ASSERT_EQ(prompter.shown().size(), 4u);
    EXPECT_EQ(prompter.shown()[0].title, "Quire");
    EXPECT_EQ(prompter.shown()[0].icon, PromptIcon::None);
    EXPECT_EQ(kProjectMessage, "There's no data, on the ECL file, about this segment!!!\n"
                               "Please, run Tessera's 'Prepare Phase' before using this function.");
}

TEST(IniScanner, MissingFileAndSectionMessages) {
    TempFolder dir;
    const auto file = dir.write("p.ecl", kEcl);
    const auto missing = dir / "gone.ecl";
    ScriptedPrompter prompter;
    prompter.expect(missing.string() + " not found.");
    EXPECT_EQ(NumSections(prompter, missing), 0);
    prompter.expect("Section, CONFIG, Not Found. ~(NumKeys)" + kCaseLine);
    EXPECT_EQ(NumKeys(prompter, file, "CONFIG"), 0);
    prompter.expect("Section, nope, Not Found. ~(KeyExists)" + kCaseLine);
    EXPECT_FALSE(KeyExists(prompter, file, "nope", "a"));
    ASSERT_EQ(prompter.shown().size(), 3u);
    EXPECT_EQ(prompter.shown()[0].title, "File Not Found");
    EXPECT_EQ(prompter.shown()[0].icon, PromptIcon::Critical);
    EXPECT_EQ(prompter.shown()[1].title, "Section Not Found.");
    EXPECT_EQ(prompter.shown()[1].icon, PromptIcon::Information);
}

TEST(IniDelete, DeleteKeyChecksFileSectionAndKey) {
    TempFolder dir;
    const auto file = dir.write("p.ecl", kEcl);
    ScriptedPrompter prompter;
    prompter.expect("Section, vts_02, Not Found. ~(DeleteKey)" + kCaseLine);
    EXPECT_EQ(DeleteKey(prompter, file, "vts_02", "frames"), 0);
    prompter.expect("Key, speed, Not Found. ~(DeleteKey)" + kCaseLine);
    EXPECT_EQ(DeleteKey(prompter, file, "vts_01", "speed"), 0);
    EXPECT_EQ(prompter.shown().back().title, "Key Not Found.");
    EXPECT_EQ(dir.read("p.ecl"), kEcl);

    EXPECT_EQ(DeleteKey(prompter, file, "vts_01", "frames"), 1);
    EXPECT_EQ(GetValue("vts_01", "frames", file), "");
    EXPECT_EQ(GetValue("vts_01", "bitrate", file), "4000");

    prompter.expect((dir / "none.ecl").string() + " not found.");
    EXPECT_EQ(DeleteKey(prompter, dir / "none.ecl", "vts_01", "frames"), 0);
}

TEST(IniDelete, DeleteSectionNeedsTheFile) {
    TempFolder dir;
    const auto file = dir.write("p.ecl", kEcl);
    ScriptedPrompter prompter;
    EXPECT_EQ(DeleteSection(prompter, file, "VTS_01"), 1);
    EXPECT_EQ(GetValue("vts_01", "frames", file), "");
    EXPECT_EQ(GetValue("last", "a", file), "1");
    prompter.expect((dir / "x.ini").string() + " not found.");
    EXPECT_EQ(DeleteSection(prompter, dir / "x.ini", "s"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.ini"));
}

TEST(IniValues, GetValueCutsAt254AndProjectValueAtNul) {
    TempFolder dir;
    const std::string longValue(300, 'v');
    const auto file =
        dir.write("e.ini", "[Config]\r\nLong=" + longValue + "\r\nNul=ab" + std::string(1, '\0') + "cd\r\n");
    EXPECT_EQ(GetValue("Config", "Long", file), std::string(254, 'v'));
    ScriptedPrompter prompter;
    EXPECT_EQ(GetProjectValue(prompter, file, "Config", "Nul"), "ab");
    prompter.expect(std::string(kProjectMessage));
    EXPECT_EQ(GetProjectValue(prompter, dir / "missing.inf", "Config", "Nul"), "");
}

TEST(IniValues, SetValueCreatesFileAndSection) {
    TempFolder dir;
    const auto file = dir / "Editor.ini";
    SetValue("Config", "Language", "English.lng", file);
    EXPECT_EQ(dir.read("Editor.ini"), "[Config]\r\nLanguage=English.lng\r\n");
    SetValue("Colors", "BackColor", "16737808", file);
    EXPECT_EQ(GetValue("colors", "backcolor", file), "16737808");
    EXPECT_EQ(GetValue("Config", "Missing", file), "");
    EXPECT_EQ(GetValue("Config", "Language", dir / "nothere.ini"), "");
}
