// Times loading a prepared Tessera project of 300 segments and listing its segments (LoadPreview, then
// RefreshSegmentList with both filter boxes on), as the preview window does when it opens. Prints the
// median of 15 runs; fails when a run shows a message or lists another number of segments.
#include "preview/HostProject.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kSegments = 300;
constexpr int kRuns = 15;

class CountingPrompter : public quire::Prompter {
public:
    int boxes = 0;
    quire::PromptAnswer message(std::string_view, std::string_view, quire::PromptButtons, quire::PromptIcon) override {
        ++boxes;
        return quire::PromptAnswer::Ok;
    }
    std::string openFile(std::string_view, const std::vector<quire::FileFilter>&, std::string_view) override {
        return {};
    }
    std::string browseFolder(std::string_view, std::string_view) override { return {}; }
};

class NoView : public quire::preview::PreviewView {
public:
    void disableEncoderIndicators() override {}
    void selectEncoder(quire::preview::EncoderKind) override {}
    void enableCceGroupLabel() override {}
    void setActionCaptions(std::string_view) override {}
    void playIdleScript() override {}
    void disableApplyOptions() override {}
    void closeWindow() override {}
    void setFilterBoxes(bool, bool) override {}
    void showSegmentList(const std::vector<std::string>&) override {}
    void showAspect(quire::preview::AspectChoice) override {}
    void setPlayerFile(const fs::path&) override {}
    void play() override {}
    void enablePlayPause() override {}
    void advanceProgress() override {}
    void refreshEncodedFiles() override {}
    void disableEncodedFiles() override {}
};

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

std::string digits(int value, int width) {
    std::string text = std::to_string(value);
    return std::string(static_cast<std::size_t>(std::max(0, width - static_cast<int>(text.size()))), '0') + text;
}

// A Tessera folder with Tessera.ini and a work folder holding the project of kSegments segments.
fs::path makeProject(const fs::path& root) {
    const fs::path work = root / "Work" / "D2VAVS";
    fs::create_directories(work);
    writeFile(root / "Tessera.ini", "[Paths]\r\nWorking=" + (root / "Work").string() +
                                        "/\r\nCCENEW=/opt/quire/quire-encode\r\n[Options]\r\nHC_Quality=1\r\n"
                                        "HC_VBR_Bias=20\r\nHC_OPV=0\r\nDCPREC=1\r\n[CCEOptions]\r\nOPV=0\r\n");
    std::string inf = "[Status]\r\nmode=1\r\nccetype=1\r\nMainVTS=01\r\n[Disc]\r\nSegments=300\r\n";
    std::string ecl;
    for (int i = 1; i <= kSegments; ++i) {
        const std::string name = "V01" + digits(i, 4) + "_V001" + digits(i % 1000, 3);
        inf += "[" + name +
               "]\r\nAudio_Sub_Sectors=1000\r\nVideo_Sectors=50000\r\nFrames=2500\r\n"
               "Frame_Rate_Code=3\r\nILVU=0\r\nPulldown=0\r\nAspect_Ratio=3\r\nAction=0\r\n";
        ecl += "[item]\r\nprogressive=0\r\nvbr_brate_max=8000\r\nvbr_brate_avg=5000\r\nopv_q_factor=45\r\n";
        for (int k = 0; k < 40; ++k)
            ecl += "setting_" + std::to_string(k) + "=" + std::to_string(k * 7) + "\r\n";
        ecl += "[file]\r\nname=" + name + ".avs\r\nframe_first=0\r\nframe_last=2499\r\n";
        writeFile(work / (name + ".avs"), "# AVS File Created by DVD Tessera\r\nMpeg2Source(\"" + name + ".d2v\")\r\n");
    }
    writeFile(work / "Tessera.inf", inf);
    writeFile(work / "Tessera.ecl", ecl);
    return work;
}

} // namespace

int main() {
    std::random_device rd;
    const fs::path root = fs::temp_directory_path() / ("quire-preview-bench-" + std::to_string(rd()));
    const fs::path program = root / "Quire";
    fs::create_directories(program);
    const fs::path work = makeProject(root / "Tessera");
    CountingPrompter prompter;
    NoView view;
    const quire::BugTrack log(program);
    std::vector<double> samples;
    bool ok = true;
    for (int run = 0; run < kRuns; ++run) {
        quire::preview::PreviewContext context{program, root / "Tessera", work, prompter, log, view};
        quire::preview::PreviewState state;
        const auto start = std::chrono::steady_clock::now();
        quire::preview::RefreshSegmentList(context, state);
        ok = quire::preview::LoadPreview(context, state) && ok;
        samples.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        ok = ok && state.segmentList.size() == kSegments && state.project.Bitrate == "8192";
    }
    std::sort(samples.begin(), samples.end());
    const fs::path ecl = work / "Tessera.ecl";
    std::printf("preview load: %d segments (Tessera.ecl %ju bytes), median of %d runs\n", kSegments,
                static_cast<std::uintmax_t>(fs::file_size(ecl)), kRuns);
    std::printf("  RefreshSegmentList + LoadPreview:     %8.3f ms\n", samples[samples.size() / 2]);
    fs::remove_all(root);
    if (!ok || prompter.boxes != 0) {
        std::fprintf(stderr, "preview load bench: unexpected result\n");
        return 1;
    }
    return 0;
}
