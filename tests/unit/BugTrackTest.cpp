// The debug log: start line, entry lines, separators, each write appending to the file.
#include "app/BugTrack.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using quire::test::TempFolder;

TEST(BugTrack, StartEmptiesTheFileThenEntriesAndSeparatorAppend) {
    std::tm at{};
    at.tm_year = 105, at.tm_mon = 6, at.tm_mday = 14, at.tm_hour = 21, at.tm_min = 3, at.tm_sec = 55;
    EXPECT_EQ(BugTrack::entryLine(at, "MA0002: Language read OK"),
              "2005/07/14 | 21:03:55 --> MA0002: Language read OK");
    at.tm_year = 126, at.tm_mon = 0, at.tm_mday = 2, at.tm_hour = 3, at.tm_min = 4, at.tm_sec = 5;
    EXPECT_EQ(BugTrack::entryLine(at, ""), "2026/01/02 | 03:04:05 --> ");

    TempFolder dir;
    dir.write("BUG.DEB", "old content from an earlier run\r\n");
    const BugTrack log(dir.path(), [at] { return at; });
    log.start();
    EXPECT_EQ(dir.read("BUG.DEB"), "TESSERA MATRIX EDITOR (Quire) STARTED\r\n");
    log.BugLog("MA0010: OK");
    log.separator();
    log.BugLog("SET001: Config read");
    EXPECT_EQ(dir.read("BUG.DEB"), "TESSERA MATRIX EDITOR (Quire) STARTED\r\n"
                                   "2026/01/02 | 03:04:05 --> MA0010: OK\r\n" +
                                       std::string(86, '-') +
                                       "\r\n\r\n"
                                       "2026/01/02 | 03:04:05 --> SET001: Config read\r\n");
}

TEST(BugTrack, EachEntryIsOnDiskAtOnceAndAMissingFolderIsNotAnError) {
    TempFolder dir;
    const BugTrack log(dir.path());
    log.start();
    log.BugLog("MA0017: OK");
    const std::string content = dir.read("BUG.DEB");
    ASSERT_NE(content.find("--> MA0017: OK\r\n"), std::string::npos);
    // The real clock writes today's date in the stamp.
    EXPECT_EQ(content.substr(content.find("\r\n") + 2 + 4, 1), "/");
    const BugTrack nowhere(dir / "no-such-folder");
    nowhere.start();
    nowhere.BugLog("MA0002: Language read OK");
    EXPECT_FALSE(std::filesystem::exists(dir / "no-such-folder"));
}
