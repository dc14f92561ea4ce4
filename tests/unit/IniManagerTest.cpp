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
    EXPECT_TRUE(SectionExists(prompter, file, "Config"));
    EXPECT_FALSE(SectionExists(prompter, file, "CONFIG"));
    EXPECT_FALSE(SectionExists(prompter, file, " Config"));
    EXPECT_EQ(GetValue("CONFIG", "INFO1", file), "one"); // the profile functions find it all the same
    EXPECT_TRUE(KeyExists(prompter, file, "Config", "Info"));
    EXPECT_TRUE(KeyExists(prompter, file, "Config", "Info2"));
    EXPECT_FALSE(KeyExists(prompter, file, "Config", "info1"));
    EXPECT_FALSE(KeyExists(prompter, file, "Config", "frames")); // belongs to the next section
    EXPECT_FALSE(KeyExists(prompter, file, "Config", "Note"));   // not a key line
    EXPECT_TRUE(KeyExists(prompter, file, "last", "b"));
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
    const std::vector<std::pair<std::string, int>> last = {{"[s]\r\na=1\r\nb=2\r\n\r\n", 3},
                                                           {"[s]\r\na=1\r\nb=2", 2},
                                                           {"[s]\r\na=1\r\ntrailing words\r\n", 2},
                                                           {"[s]\r\n", 0},
                                                           {"[s]\na=1\n\n[t]\nx=1\n", 1}};
    for (const auto& [content, keys] : last)
        EXPECT_EQ(NumKeys(prompter, dir.write("a.ini", content), "s"), keys) << content;
}

TEST_F(IniScanner, MessagesForAnIndexOutOfRangeAMissingFileSectionOrKey) {
    EXPECT_EQ(kProjectMessage, "There's no data, on the ECL file, about this segment!!!\n"
                               "Please, run Tessera's 'Prepare Phase' before using this function.");
    const std::string project(kProjectMessage);
    prompter.expect(project).expect(project).expect(project).expect(project);
    EXPECT_EQ(GetSectionName(prompter, file, 3), "");
    EXPECT_EQ(GetSectionName(prompter, dir / "missing.ecl", 0), "");
    EXPECT_EQ(GetKeyName(prompter, file, 1, 2), "");
    EXPECT_EQ(GetKeyName(prompter, file, 3, 0), "");
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
    EXPECT_EQ(GetValue("vts_01", "frames", file) + "|" + GetValue("vts_01", "bitrate", file), "|4000");
    prompter.expect((dir / "none.ecl").string() + " not found.");
    EXPECT_EQ(DeleteKey(prompter, dir / "none.ecl", "vts_01", "frames"), 0);

    EXPECT_EQ(DeleteSection(prompter, file, "VTS_01"), 1);
    EXPECT_EQ(GetValue("vts_01", "bitrate", file) + "|" + GetValue("last", "a", file), "|1");
    prompter.expect((dir / "x.ini").string() + " not found.");
    EXPECT_EQ(DeleteSection(prompter, dir / "x.ini", "s"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.ini"));
}

TEST_F(IniScanner, GetValueCutsAt254ProjectValueAtNulSetValueCreatesFileAndSection) {
    const auto values = dir.write("e.ini", "[Config]\r\nLong=" + std::string(300, 'v') + "\r\nNul=ab" +
                                               std::string(1, '\0') + "cd\r\n");
    EXPECT_EQ(GetValue("Config", "Long", values), std::string(254, 'v'));
    EXPECT_EQ(GetProjectValue(prompter, values, "Config", "Nul"), "ab");
    prompter.expect(std::string(kProjectMessage));
    EXPECT_EQ(GetProjectValue(prompter, dir / "missing.inf", "Config", "Nul"), "");
    const auto editor = dir / "Editor.ini";
    SetValue("Config", "Language", "English.lng", editor);
    EXPECT_EQ(dir.read("Editor.ini"), "[Config]\r\nLanguage=English.lng\r\n");
    SetValue("Colors", "BackColor", "16737808", editor);
    EXPECT_EQ(GetValue("colors", "backcolor", editor), "16737808");
    EXPECT_EQ(GetValue("Config", "Missing", editor), "");
    EXPECT_EQ(GetValue("Config", "Language", dir / "nothere.ini"), "");
}
