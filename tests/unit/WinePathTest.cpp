// Windows paths in Tessera's files, read as Wine reads them.
#include "platform/WinePath.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace quire {
namespace {

namespace fs = std::filesystem;

TEST(WinePath, MapsDrivesAndSeparators) {
    test::TempFolder temp;
    const fs::path prefix = temp / "wine";
    fs::create_directories(prefix / "dosdevices");
    fs::create_directories(prefix / "drive_c" / "Tessera");
    const fs::path inPrefix = prefix / "drive_c" / "Tessera" / "Tessera.ini";
    const fs::path outside = temp / "elsewhere" / "Tessera.ini";
    const std::tuple<const char*, fs::path, fs::path> cases[] = {
        {"Z:\\srv\\dvd\\\\work\\", inPrefix, "/srv/dvd/work/"},
        {"z:/srv", outside, "/srv"},
        {"Z:", outside, "/"},
        {"C:\\Work\\D2VAVS", inPrefix, prefix / "dosdevices" / "c:" / "Work/D2VAVS"},
        {"d:\\VIDEO_TS", inPrefix, prefix / "dosdevices" / "d:" / "VIDEO_TS"},
        {"C:\\Work", outside, "C:/Work"},
        {"/home/user/work", outside, "/home/user/work"},
        {"Work\\D2VAVS", outside, temp / "elsewhere" / "Work/D2VAVS"},
        {"", outside, ""},
    };
    for (const auto& [text, referring, expected] : cases)
        EXPECT_EQ(winePath(text, referring), expected) << text;
}

} // namespace
} // namespace quire
