// The colour scale of the grids, comparing two matrices, and a library matrix written for FFmpeg.
#include "matrix/MatrixExport.h"
#include "support/CellText.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"
#include "ui/ColourScale.h"

#include <gtest/gtest.h>

using namespace quire;
using namespace quire::test;
namespace fs = std::filesystem;

namespace {

constexpr scale::Rgb kBlack{0, 0, 0};

double brightness(scale::Rgb c) {
    return scale::contrastRatio(c, kBlack);
}

// 1, 2, ... 128: every cell differs, and intra differs from non-intra.
MatrixValues counting() {
    MatrixValues values{};
    for (std::size_t i = 0; i < kMatrixCells; ++i)
        values[i] = static_cast<int>(i) + 1;
    return values;
}

} // namespace

TEST(ColourScale, RunsDarkToLightFromOneTo255AndClampsBeyond) {
    EXPECT_EQ(scale::valueColour(1), (scale::Rgb{68, 1, 84}));
    EXPECT_EQ(scale::valueColour(255), (scale::Rgb{253, 231, 37}));
    EXPECT_EQ(scale::valueColour(0), scale::valueColour(1));
    EXPECT_EQ(scale::valueColour(999), scale::valueColour(255));
    for (int v = 2; v <= 255; ++v)
        EXPECT_GE(brightness(scale::valueColour(v)), brightness(scale::valueColour(v - 1)) - 0.01) << v; // rounding
    // Logarithmic: doubling a value moves it the same way along the scale, wherever it starts.
    EXPECT_NEAR(scale::position(16) - scale::position(8), scale::position(128) - scale::position(64), 1e-9);
    // The usual matrix values (8 to 83) spread over more than a third of the scale.
    EXPECT_GT(scale::position(83) - scale::position(8), 0.4);
}

TEST(ColourScale, DifferencesAreWhiteAtZeroBlueBelowRedAboveAndDeeperWithSize) {
    EXPECT_EQ(scale::differenceColour(0), (scale::Rgb{255, 255, 255}));
    for (int d = 1; d <= 300; ++d) {
        const scale::Rgb up = scale::differenceColour(d);
        const scale::Rgb down = scale::differenceColour(-d);
        EXPECT_GT(up.r, up.b) << d;
        EXPECT_GT(down.b, down.r) << d;
        EXPECT_LE(brightness(up), brightness(scale::differenceColour(d - 1))) << d;
        EXPECT_LE(brightness(down), brightness(scale::differenceColour(1 - d))) << d;
    }
    EXPECT_EQ(scale::differenceColour(254), scale::differenceColour(400));
}

TEST(ColourScale, TheTextStaysReadableOnEveryColour) {
    std::vector<scale::Rgb> backgrounds;
    for (int v = 1; v <= 255; ++v)
        backgrounds.push_back(scale::valueColour(v));
    for (int d = -255; d <= 255; ++d)
        backgrounds.push_back(scale::differenceColour(d));
    for (const auto& back : backgrounds)
        EXPECT_GE(scale::contrastRatio(back, scale::textColour(back)), 4.5) << back.r << "," << back.g << "," << back.b;
    EXPECT_EQ(scale::textColour(scale::valueColour(1)), (scale::Rgb{255, 255, 255}));
    EXPECT_EQ(scale::textColour(scale::valueColour(255)), kBlack);
}

TEST(ColourScale, CellValuesAndTheSwitchInEditorIni) {
    const std::pair<const char*, std::optional<int>> cases[] = {{"008", 8}, {" 16 ", 16}, {"999", 999}, {"0", 0},
                                                                {"  ", {}}, {"1000", {}}, {"-3", {}},   {"1 2", {}}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(scale::cellValue(text), value) << '"' << text << '"';

    TempFolder folder;
    const auto ini = folder.write("Editor.ini", "[Config]\r\nLanguage=English.lng\r\n[Colors]\r\nBackColor=1\r\n");
    EXPECT_FALSE(scale::isOn(ini));
    scale::setOn(ini, true);
    EXPECT_TRUE(scale::isOn(ini));
    scale::setOn(ini, false);
    EXPECT_FALSE(scale::isOn(ini));
    EXPECT_EQ(folder.read("Editor.ini"),
              "[Config]\r\nLanguage=English.lng\r\nColourScale=0\r\n[Colors]\r\nBackColor=1\r\n");
}

TEST(MatrixExport, CompareGivesBMinusACellByCell) {
    MatrixValues b = counting();
    b[0] = 9;
    b[127] = 100;
    MatrixValues difference{};
    difference[0] = 8, difference[127] = -28;
    EXPECT_EQ(library::compare(counting(), b).difference, difference);
}

// The text FFmpeg took by hand: an encode with it reads back through QuantDump as these tables.
TEST(MatrixExport, FfmpegOptionsAreBothTablesRowByRowIntraFirst) {
    EXPECT_EQ(library::ffmpegOptions(counting()),
              "-intra_matrix 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,"
              "33,34,35,36,37,38,39,40,41,42,43,44,45,46,47,48,49,50,51,52,53,54,55,56,57,58,59,60,61,62,63,64 "
              "-inter_matrix 65,66,67,68,69,70,71,72,73,74,75,76,77,78,79,80,81,82,83,84,85,86,87,88,89,90,91,92,93,"
              "94,95,96,97,98,99,100,101,102,103,104,105,106,107,108,109,110,111,112,113,114,115,116,117,118,119,"
              "120,121,122,123,124,125,126,127,128");
}

TEST(MatrixExport, OnlyMatricesOf128ValuesFrom1To255AreExported) {
    TempFolder lib;
    lib.write("Good.mtx", numberedText(" ", "\r\n", 8)); // 8 .. 135
    const std::string good = numberedText(" ", "\r\n", 8);
    lib.write("Zero.mtx", "0" + good.substr(1));                       // first value 0
    lib.write("Big.mtx", good.substr(0, good.size() - 5) + "256\r\n"); // last value 256
    lib.write("Short.mtx", good.substr(0, good.size() - 6) + "\r\n");  // 127 values
    EXPECT_EQ(library::usableValues(lib.path(), "Good.mtx").value_or(MatrixValues{})[127], 135);
    for (const char* bad : {"Zero.mtx", "Big.mtx", "Short.mtx", "Missing.mtx"}) {
        const std::string refusal = std::string("The matrix file ") + bad + " does not hold 128 values from 1 to 255.";
        ScriptedPrompter prompter;
        prompter.expect(refusal).expect(refusal);
        EXPECT_EQ(library::ffmpegOptionsOf(prompter, lib.path(), bad) + library::exportCqm(prompter, lib.path(), bad),
                  "")
            << bad;
    }
    ScriptedPrompter prompter;
    EXPECT_EQ(library::ffmpegOptionsOf(prompter, lib.path(), "Good.mtx").substr(0, 20), "-intra_matrix 8,9,10");
}

TEST(MatrixExport, CqmIsWrittenWholeOrNotAtAll) {
    TempFolder lib;
    lib.write("Good.mtx", numberedText(" ", "\r\n", 8));
    std::string bytes;
    for (int v = 8; v < 136; ++v)
        bytes += static_cast<char>(v);
    const auto target = (lib / "out.cqm").string();
    const struct {
        const char* what;
        std::string chosen;  // the dialog's answer
        std::string written; // the path written ("" nothing)
        std::string message; // the box shown ("" none)
    } cases[] = {{"as chosen", target, target, ""},
                 {"extension added", (lib / "plain").string(), (lib / "plain.cqm").string(), ""},
                 {"cancelled", "", "", ""},
                 {"no such folder", (lib / "none/x.cqm").string(), "",
                  "The file " + (lib / "none/x.cqm").string() + " could not be written. Nothing was saved."}};
    for (const auto& c : cases) {
        ScriptedPrompter prompter;
        prompter.expectFile(c.chosen);
        if (!c.message.empty())
            prompter.expect(c.message);
        EXPECT_EQ(library::exportCqm(prompter, lib.path(), "Good.mtx"), c.written) << c.what;
        EXPECT_EQ(prompter.fileDialogTitles(), std::vector<std::string>{"Export matrix as .cqm"}) << c.what;
        if (!c.written.empty()) {
            EXPECT_EQ(readBytes(c.written), bytes) << c.what;
        }
    }
    EXPECT_FALSE(fs::exists(lib / "none"));
}
