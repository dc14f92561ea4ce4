// The colour scale of the grids, comparing two matrices, and a library matrix written for FFmpeg.
#include "matrix/MatrixExport.h"
#include "support/CellText.h"
#include "support/ScriptedPrompter.h"
#include "support/TempFolder.h"
#include "ui/ColourScale.h"

#include <gtest/gtest.h>

#include <numeric>

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
    std::iota(values.begin(), values.end(), 1);
    return values;
}

} // namespace

TEST(ColourScale, ValuesRunDarkToLightAndDifferencesFromWhiteToRedAboveAndBlueBelow) {
    EXPECT_EQ(scale::valueColour(1), (scale::Rgb{68, 1, 84}));
    EXPECT_EQ(scale::valueColour(255), (scale::Rgb{253, 231, 37}));
    EXPECT_EQ(scale::valueColour(0), scale::valueColour(1));
    EXPECT_EQ(scale::valueColour(999), scale::valueColour(255));
    // Logarithmic: doubling a value moves it the same way along the scale, wherever it starts.
    EXPECT_NEAR(scale::position(16) - scale::position(8), scale::position(128) - scale::position(64), 1e-9);
    EXPECT_EQ(scale::differenceColour(0), (scale::Rgb{255, 255, 255}));
    EXPECT_EQ(scale::differenceColour(254), scale::differenceColour(400));
    // Deeper with size, and the text on every colour stays readable.
    const auto readable = [](scale::Rgb back) { return scale::contrastRatio(back, scale::textColour(back)) >= 4.5; };
    for (int n = 1; n <= 255; ++n) {
        const scale::Rgb up = scale::differenceColour(n), down = scale::differenceColour(-n);
        EXPECT_TRUE(up.r > up.b && down.b > down.r) << n;
        EXPECT_LE(brightness(up), brightness(scale::differenceColour(n - 1))) << n;
        EXPECT_LE(brightness(down), brightness(scale::differenceColour(1 - n))) << n;
        EXPECT_GE(brightness(scale::valueColour(n + 1)), brightness(scale::valueColour(n)) - 0.01) << n; // rounding
        EXPECT_TRUE(readable(up) && readable(down) && readable(scale::valueColour(n))) << n;
    }
    EXPECT_EQ(scale::textColour(scale::valueColour(1)), (scale::Rgb{255, 255, 255}));
    EXPECT_EQ(scale::textColour(scale::valueColour(255)), kBlack);
}

TEST(ColourScale, TheSwitchInEditorIni) {
    TempFolder folder;
    const auto ini = folder.write("Editor.ini", "[Config]\r\nLanguage=English.lng\r\n[Colors]\r\nBackColor=1\r\n");
    EXPECT_FALSE(scale::isOn(ini));
    scale::setOn(ini, true);
    EXPECT_TRUE(scale::isOn(ini));
    scale::setOn(ini, false);
    EXPECT_EQ(folder.read("Editor.ini"),
              "[Config]\r\nLanguage=English.lng\r\nColourScale=0\r\n[Colors]\r\nBackColor=1\r\n");
}

TEST(MatrixExport, CompareGivesBMinusACellByCellAndFfmpegOptionsAreBothTablesRowByRowIntraFirst) {
    MatrixValues b = counting();
    b[0] = 9, b[127] = 100;
    MatrixValues difference{};
    difference[0] = 8, difference[127] = -28;
    EXPECT_EQ(library::compare(counting(), b).difference, difference);
    // The text FFmpeg took by hand: an encode with it reads back through QuantDump as these tables.
    EXPECT_EQ(library::ffmpegOptions(counting()),
              "-intra_matrix 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31,32,"
              "33,34,35,36,37,38,39,40,41,42,43,44,45,46,47,48,49,50,51,52,53,54,55,56,57,58,59,60,61,62,63,64 "
              "-inter_matrix 65,66,67,68,69,70,71,72,73,74,75,76,77,78,79,80,81,82,83,84,85,86,87,88,89,90,91,92,93,"
              "94,95,96,97,98,99,100,101,102,103,104,105,106,107,108,109,110,111,112,113,114,115,116,117,118,119,"
              "120,121,122,123,124,125,126,127,128");
}

TEST(MatrixExport, OnlyMatricesOf128ValuesFrom1To255AreExported) {
    TempFolder lib;
    const std::string good = numberedText(" ", "\r\n", 8); // 8 .. 135
    lib.write("Good.mtx", good);
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
    std::string bytes(128, '\0');
    std::iota(bytes.begin(), bytes.end(), char(8));
    const auto target = (lib / "out.cqm").string();
    // The dialog's answer (as chosen, without the extension, cancelled, in no folder), the path written
    // ("" nothing) and the box shown ("" none).
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {target, target, ""},
        {(lib / "plain").string(), (lib / "plain.cqm").string(), ""},
        {"", "", ""},
        {(lib / "none/x.cqm").string(), "",
         "The file " + (lib / "none/x.cqm").string() + " could not be written. Nothing was saved."}};
    for (const auto& [chosen, written, message] : cases) {
        SCOPED_TRACE(chosen);
        ScriptedPrompter prompter;
        prompter.expectFile(chosen);
        if (!message.empty())
            prompter.expect(message);
        EXPECT_EQ(library::exportCqm(prompter, lib.path(), "Good.mtx"), written);
        EXPECT_EQ(prompter.fileDialogTitles(), std::vector<std::string>{"Export matrix as .cqm"});
        if (!written.empty()) {
            EXPECT_EQ(readBytes(written), bytes);
        }
    }
    EXPECT_FALSE(fs::exists(lib / "none"));
}
