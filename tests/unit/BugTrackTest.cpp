// The debug log: start line, entry lines, separators, each write appending to the file.
#include "app/BugTrack.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace quire;
using quire::test::TempFolder;

namespace {

std::tm at(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

} // namespace

TEST(BugTrack, EntryLineShape) {
    EXPECT_EQ(BugTrack::entryLine(at(2005, 7, 14, 21, 3, 55), "MA0002: Language read OK"),
              "2005/07/14 | 21:03:55 --> MA0002: Language read OK");
    EXPECT_EQ(BugTrack::entryLine(at(2026, 12, 1, 0, 0, 9), ""), "2026/12/01 | 00:00:09 --> ");
}

TEST(BugTrack, StartEmptiesTheFileThenEntriesAndSeparatorAppend) {
    TempFolder dir;
    dir.write("BUG.DEB", "old content from an earlier run\r\n");
    const BugTrack log(dir.path(), [] { return at(2026, 1, 2, 3, 4, 5); });
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

TEST(BugTrack, EachEntryIsOnDiskAtOnce) {
    TempFolder dir;
    const BugTrack log(dir.path());
    log.start();
    log.BugLog("MA0017: OK");
    const std::string content = dir.read("BUG.DEB");
    ASSERT_NE(content.find("--> MA0017: OK\r\n"), std::string::npos);
    // The real clock writes today's date in the stamp.
    EXPECT_EQ(content.substr(content.find("\r\n") + 2 + 4, 1), "/");
}

TEST(BugTrack, MissingFolderIsNotAnError) {
    TempFolder dir;
    const BugTrack log(dir / "no-such-folder");
    log.start();
    log.BugLog("MA0002: Language read OK");
    EXPECT_FALSE(std::filesystem::exists(dir / "no-such-folder"));
}
