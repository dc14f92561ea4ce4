// The debug log BUG.DEB: a start line, one time-stamped line per noteworthy step, separators.
// Every write opens the file, appends and closes it, so the file is complete after each entry.
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace quire {

class BugTrack {
public:
    using Clock = std::function<std::tm()>;

    // Logs into programFolder/BUG.DEB with the local time, or with the given clock.
    explicit BugTrack(const std::filesystem::path& programFolder, Clock clock = {});

    // Empties the file and writes the start line.
    void start() const;
    // Appends "yyyy/mm/dd | hh:mm:ss --> " + message.
    void BugLog(std::string_view message) const;
    // Appends a line of 86 "-" and an empty line.
    void separator() const;

    const std::filesystem::path& file() const { return m_file; }

    static constexpr std::string_view kStartLine = "TESSERA MATRIX EDITOR (Quire) STARTED";

    // The entry line for a time and a message, without its line end.
    static std::string entryLine(const std::tm& time, std::string_view message);

private:
    std::filesystem::path m_file;
    Clock m_clock;
};

} // namespace quire
