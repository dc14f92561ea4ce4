// Times opening the Preview/Test window on a prepared Tessera project of 300 segments, from creating
// the window to the window shown (the log lines, Editor.ini and Tessera.ini read, the segment list
// filled, the project loaded, the idle title started in the player). Prints the median of 15 runs;
// fails when a run shows a message, lists another number of segments or misses 300 ms.
#include "app/SharedState.h"
#include "platform/QtRunner.h"
#include "preview/PlayerView.h"
#include "preview/PreviewWindow.h"
#include "ui/Localisation.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>
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

void writeFile(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

std::string digits(int value, int width) {
    std::string text = std::to_string(value);
    return std::string(static_cast<std::size_t>(std::max(0, width - static_cast<int>(text.size()))), '0') + text;
}

// A Tessera folder with Tessera.ini and a work folder holding the project of kSegments segments.
void makeProject(const fs::path& root) {
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
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::random_device rd;
    const fs::path root = fs::temp_directory_path() / ("quire-preview-bench-" + std::to_string(rd()));
    const fs::path program = root / "Quire";
    fs::create_directories(program / "Matrix");
    makeProject(root / "Tessera");
    CountingPrompter prompter;
    quire::WriteLanguageFiles(prompter, program);
    writeFile(program / "Editor.ini",
              "[Config]\r\nLanguage=English.lng\r\nMatrixFolder=" + (program / "Matrix").string() +
                  "\r\nInterfaceVersion=7\r\nPlayer=/usr/bin/ffplay\r\nTesseraFolder=" + (root / "Tessera").string() +
                  "\r\n");
    fs::create_symlink(fs::path(QUIRE_BIN) / "quire-avs", program / "quire-avs");
    quire::QtRunner runner;
    std::vector<double> samples;
    bool ok = true;
    for (int run = 0; run < kRuns; ++run) {
        quire::SharedState state(program, prompter);
        state.txtLang = "English.lng";
        state.txtPath = (program / "Matrix").string();
        const auto start = std::chrono::steady_clock::now();
        quire::Preview window(state, runner);
        window.show();
        ok = QTest::qWaitForWindowExposed(&window, 5000) && ok;
        samples.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        const auto* player = window.findChild<quire::PlayerView*>("MediaPlayer1");
        ok = ok && window.findChild<QListWidget*>("lstSegment2")->count() == kSegments &&
             player->state() == quire::PlayerView::State::Playing;
    }
    std::sort(samples.begin(), samples.end());
    std::printf("Preview window opened on %d segments: median %.1f ms, best %.1f ms, worst %.1f ms (%d runs)\n",
                kSegments, samples[samples.size() / 2], samples.front(), samples.back(), kRuns);
    fs::remove_all(root);
    if (!ok || prompter.boxes != 0) {
        std::fprintf(stderr, "preview open bench: unexpected result (%d boxes)\n", prompter.boxes);
        return 1;
    }
    return samples[samples.size() / 2] < 300 ? 0 : 1;
}
