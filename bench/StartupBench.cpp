// Times Quire's start-up, from creating the main window to the window shown, in a program folder
// whose matrix folder holds 1,000 matrices with their descriptions. Prints the median of 15 runs.
#include "app/Main.h"
#include "matrix/DefaultSet.h"
#include "ui/Localisation.h"

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Accepts every box: an ordinary start shows none.
class SilentPrompter : public quire::Prompter {
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

fs::path makeProgramFolder() {
    std::random_device rd;
    const fs::path program = fs::temp_directory_path() / ("quire-startup-bench-" + std::to_string(rd()));
    const fs::path library = program / "Matrix";
    fs::create_directories(library);
    SilentPrompter prompter;
    quire::WriteLanguageFiles(prompter, program);
    writeFile(program / "Editor.ini", "[Config]\r\nLanguage=English.lng\r\nMatrixFolder=" + library.string() +
                                          "\r\nInterfaceVersion=7\r\n[Colors]\r\nBackColor=16737808\r\n"
                                          "TextColor=16777215\r\nStripesColor=14306832\r\nButtonsColor=4210752\r\n");
    quire::WriteDefaultMatrices(library);
    std::string custom;
    const std::string matrix(quire::defaultMatrixText(quire::kDefaultMatrixNames[0]));
    for (int i = 0; i < 1000 - 16; ++i) {
        const std::string name = "User Matrix " + std::to_string(i) + ".mtx";
        writeFile(library / name, matrix);
        custom += "[user matrix " + std::to_string(i) + ".mtx]\r\nInfo1=A user matrix for tests\r\nInfo2= \r\n";
    }
    writeFile(library / "Matrix_Info_Custom.ini", custom);
    writeFile(library / "Matrix_Info.ini", std::string(quire::defaultMatrixInfo()) + "\r\n" + custom + "\r\n");
    return program;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const fs::path program = makeProgramFolder();
    std::vector<double> times;
    for (int run = 0; run < 15; ++run) {
        SilentPrompter prompter;
        const auto begin = std::chrono::steady_clock::now();
        quire::Main window(program, prompter);
        QObject::connect(&window, &quire::Main::started, &window, &QWidget::show);
        window.start();
        if (!QTest::qWaitForWindowExposed(&window, 5000)) {
            std::fprintf(stderr, "the main window was not shown\n");
            return 1;
        }
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - begin).count());
        if (prompter.boxes != 0) {
            std::fprintf(stderr, "start-up showed %d message boxes\n", prompter.boxes);
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("start-up to a shown main window, 1000 matrices: median %.1f ms, best %.1f ms, worst %.1f ms "
                "(15 runs)\n",
                times[times.size() / 2], times.front(), times.back());
    std::error_code ec;
    fs::remove_all(program, ec);
    return 0;
}
