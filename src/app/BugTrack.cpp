// The debug log BUG.DEB.
#include "BugTrack.h"

#include "platform/FileIo.h"
#include "platform/Text1252.h"

#include <cstdio>

namespace quire {
namespace {

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace

BugTrack::BugTrack(const std::filesystem::path& programFolder, Clock clock)
    : m_file(programFolder / "BUG.DEB"), m_clock(clock ? std::move(clock) : Clock(localNow)) {}

void BugTrack::start() const {
    fileio::writeFileAtomic(m_file, std::string(kStartLine) + std::string(text::kCrLf));
}

std::string BugTrack::entryLine(const std::tm& time, std::string_view message) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d/%02d/%02d | %02d:%02d:%02d --> ", time.tm_year + 1900, time.tm_mon + 1,
                  time.tm_mday, time.tm_hour, time.tm_min, time.tm_sec);
    return std::string(stamp) + std::string(message);
}

void BugTrack::BugLog(std::string_view message) const {
    fileio::appendFile(m_file, entryLine(m_clock(), message) + std::string(text::kCrLf));
}

void BugTrack::separator() const {
    fileio::appendFile(m_file, std::string(86, '-') + std::string(text::kCrLf) + std::string(text::kCrLf));
}

} // namespace quire
