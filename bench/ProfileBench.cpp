// Times the profile-string layer on a large settings file: about 1 MB in 10,000 sections,
// reading a key of the last section and writing values, and prints the figures.
#include "platform/ProfileString.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kSections = 10000;
constexpr std::size_t kTargetBytes = 1024 * 1024;
constexpr int kRuns = 50;

// Sections like the description index: a lower-case matrix name and two description lines,
// padded so that the whole file comes to about 1 MB.
std::string buildContent() {
    const std::size_t perSection = kTargetBytes / kSections;
    std::string content;
    content.reserve(kTargetBytes + kSections * 8);
    for (int i = 0; i < kSections; ++i) {
        std::string section =
            "[matrix " + std::to_string(i) + ".mtx]\r\nInfo1=Description of matrix " + std::to_string(i) + "\r\nInfo2=";
        const std::size_t used = section.size() + 2;
        if (used < perSection)
            section.append(perSection - used, 'x');
        section += "\r\n";
        content += section;
    }
    return content;
}

double medianMs(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double timeMs(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main() {
    std::random_device rd;
    const fs::path folder = fs::temp_directory_path() / ("quire-profile-bench-" + std::to_string(rd()));
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "cannot create %s\n", folder.string().c_str());
        return 1;
    }
    const fs::path ini = folder / "Matrix_Info.ini";
    const std::string content = buildContent();
    {
        std::ofstream out(ini, std::ios::binary);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    const std::string lastSection = "MATRIX " + std::to_string(kSections - 1) + ".MTX";

    std::vector<double> reads;
    std::vector<double> misses;
    std::vector<double> writes;
    std::vector<double> sameWrites;
    std::size_t checksum = 0;
    bool ok = true;
    for (int run = 0; run < kRuns; ++run) {
        reads.push_back(
            timeMs([&] { checksum += quire::profile::getString(ini, lastSection, "info1", "", 255).size(); }));
        misses.push_back(
            timeMs([&] { checksum += quire::profile::getString(ini, "nowhere", "Info1", "", 255).size(); }));
        const std::string value = "Changed description " + std::to_string(run);
        writes.push_back(timeMs([&] { ok = quire::profile::writeString(ini, lastSection, "Info1", value) && ok; }));
        sameWrites.push_back(timeMs([&] { ok = quire::profile::writeString(ini, lastSection, "Info1", value) && ok; }));
    }
    // Reads of a file that no write has just replaced.
    std::vector<double> quietReads;
    for (int run = 0; run < kRuns; ++run)
        quietReads.push_back(
            timeMs([&] { checksum += quire::profile::getString(ini, lastSection, "info1", "", 255).size(); }));
    const std::string readBack = quire::profile::getString(ini, lastSection, "Info1", "", 255);
    fs::remove_all(folder, ec);

    std::printf("profile strings: %zu bytes, %d sections, median of %d runs\n", content.size(), kSections, kRuns);
    std::printf("  getString, key of the last section:   %8.3f ms (just after a write)\n", medianMs(reads));
    std::printf("  getString, key of the last section:   %8.3f ms (reads only)\n", medianMs(quietReads));
    std::printf("  getString, missing section:            %8.3f ms\n", medianMs(misses));
    std::printf("  writeString, new value (file written): %8.3f ms\n", medianMs(writes));
    std::printf("  writeString, same value (untouched):   %8.3f ms\n", medianMs(sameWrites));
    if (!ok || readBack != "Changed description " + std::to_string(kRuns - 1) || checksum == 0) {
        std::fprintf(stderr, "profile bench: unexpected result\n");
        return 1;
    }
    return 0;
}
