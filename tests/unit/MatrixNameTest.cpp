// Names that can and cannot name a matrix file.
#include "matrix/MatrixName.h"

#include <gtest/gtest.h>

using quire::matrixNameProblem;

TEST(MatrixName, AcceptsOrdinaryNames) {
    for (const char* name : {"1-High_High(4000+)", "Tamsin's 1CD (1500-2500)", "Été doux", "a", "con artist", "COM10",
                             "LPT0", "x.y", "  leading blank"})
        EXPECT_FALSE(matrixNameProblem(name).has_value()) << name;
}

TEST(MatrixName, RefusesWhatCannotNameAFile) {
    for (const char* name :
         {"",    "   ",       ".",     "..",    "a/b", "a\\b", "c:x",     "what?", "star*", "\"q\"",    "<a>",
          "p|q", "tab\there", "ends.", "ends ", "CON", "con",  "Nul.txt", "aux ",  "COM1",  "lpt9.mtx", "Ελληνικά"})
        EXPECT_TRUE(matrixNameProblem(name).has_value()) << name;
    EXPECT_EQ(*matrixNameProblem("a/b"),
              "The name \"a/b\" can't be used for a matrix file: it holds one of the characters / \\ : * ? \" < > |");
    EXPECT_EQ(*matrixNameProblem(" "), "Please give the matrix a name.");
}
