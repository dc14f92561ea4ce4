// Names that can and cannot name a matrix file.
#include "matrix/MatrixName.h"

#include "app/IniManager.h"
#include "matrix/DescriptionIndex.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using quire::matrixNameProblem;

TEST(MatrixName, AcceptsOrdinaryNamesRefusesWhatCannotNameAFile) {
    for (const char* name : {"1-High_High(4000+)", "Tamsin's 1CD (1500-2500)", "Été doux", "a", "con artist", "COM10",
                             "LPT0", "x.y", "inner  blanks"})
        EXPECT_FALSE(matrixNameProblem(name).has_value()) << name;
    for (const char* name : {"",      "   ",     ".",    "..",   "a/b",       "a\\b",     "c:x",       "what?",
                             "star*", "\"q\"",   "<a>",  "p|q",  "tab\there", "ends.",    "ends ",     "CON",
                             "con",   "Nul.txt", "aux ", "COM1", "lpt9.mtx",  "Ελληνικά", "c1\xC2\x81"})
        EXPECT_TRUE(matrixNameProblem(name).has_value()) << name;
    EXPECT_EQ(*matrixNameProblem("a/b"),
              "The name \"a/b\" can't be used for a matrix file: it holds one of the characters / \\ : * ? \" < > |");
    EXPECT_EQ(*matrixNameProblem(" "), "Please give the matrix a name.");
}

// A name is accepted exactly when the description saved under it is found again by the readers
// of the index: the profile read and the exact header test of the save sequences.
TEST(MatrixName, NamesWhoseDescriptionTheIndexLosesAreRefused) {
    const std::string lost = "Matrix_Info.ini can't keep its description under a name that starts with a blank or "
                             "holds \"]\".";
    const std::vector<std::pair<std::string, bool>> cases = {{"a]b", false},       {"[x]", false},   {"]", false},
                                                             {" leading", false},  {"  two", false}, {"[opens", true},
                                                             {";semicolon", true}, {"a=b", true},    {"x [y", true}};
    for (const auto& [name, kept] : cases) {
        const std::string refusal = "The name \"" + name + "\" can't be used for a matrix file: " + lost;
        EXPECT_EQ(matrixNameProblem(name), kept ? std::nullopt : std::optional<std::string>(refusal)) << name;
        quire::test::TempFolder dir;
        const auto index = dir.write("Matrix_Info.ini", "[other.mtx]\r\nInfo1=Other\r\n");
        const std::string fileName = name + ".mtx";
        quire::descriptions::write(index, fileName, "Soft", "grain");
        quire::test::ScriptedPrompter prompter;
        const bool found = quire::descriptions::read(dir.path(), fileName).shown() == "Soft grain" &&
                           quire::ini::SectionExists(prompter, index, quire::descriptions::sectionName(fileName));
        EXPECT_EQ(found, kept) << name;
    }
}
