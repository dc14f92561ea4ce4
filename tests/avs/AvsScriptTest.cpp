// The script language, the frame arithmetic, the .d2v reader and the native filters of quire-avs.
#include "D2v.h"
#include "Evaluator.h"
#include "NativeFilters.h"
#include "ScriptParser.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

using namespace quire::avs;

namespace {

Clip clipOf(const std::string& script, const std::filesystem::path& file = "/nowhere/test.avs") {
    return evaluate(script, file).clip;
}

// The message and line of the ScriptError a script raises; "" when it evaluates.
std::pair<int, std::string> errorOf(const std::string& script) {
    try {
        evaluate(script, "/nowhere/test.avs");
    } catch (const ScriptError& e) {
        return {e.line(), e.what()};
    }
    return {0, ""};
}

// Size, rate, length and type of a clip, on one line.
std::string shapeOf(const Clip& c) {
    const char* types[] = {"RGB32", "RGB24", "YV12", "YUY2"};
    return std::to_string(c.width) + "x" + std::to_string(c.height) + " " + c.fps.text() + " fps " +
           std::to_string(c.frames) + " frames " + types[static_cast<int>(c.type)];
}

} // namespace

TEST(AvsEvaluator, ErrorsNameTheConstructAndLine) {
    const struct {
        const char* script;
        int line;
        const char* text;
    } cases[] = {{"BlankClip()\nFoo()\n", 2, "no function named \"Foo\""},
                 {"[* a [* nested *]\n *]BlankClip()\nFoo()\n", 3, "no function named \"Foo\""}, // lines in a comment
                 {"BlankClip().Subtitle(\"\"\"a\nb\"\"\")\nFoo()\n", 3, "no function named \"Foo\""},
                 {"BlankClip()\n\nTrim(1, 2, bogus=3)", 3, "does not have a named argument \"bogus\""},
                 {"BlankClip(width=3, width=4)", 1, "given twice"},
                 {"BlankClip()\nif (true)", 2, "unsupported construct 'if'"},
                 {"a = BlankClip() +\nBlankClip()", 1, "unsupported construct '+'"},
                 {"Undot()", 1, "no clip"},
                 {"BlankClip(width=481, height=480, pixel_type=\"YV12\")", 1, "even width"},
                 {"BlankClip(width=480, height=273).ConvertToYV12()", 1, "multiple of 2"},
                 {"BlankClip()\nBilinearResize(480)", 2, "target width and height"},
                 {"BlankClip(length=\"x\")", 1, "must be an int"},
                 {"BlankClip()\nDeen(\"x3d\")", 2, "needs a YV12"},
                 {"BlankClip(pixel_type=\"YV12\")\nDeen(\"x3d\")", 2, "mode \"x3d\""},
                 {"BlankClip(height=482, pixel_type=\"YUY2\").ConvertToYV12(interlaced=true)", 1, "multiple of 4"},
                 {"BlankClip()\nreturn 3\n", 2, "returns no clip"},
                 {"BlankClip(length=100).Trim(10, end=5)", 1, "end must not come before the first frame"},
                 {"BlankClip(length=100).Trim(10, length=-1)", 1, "length must not be negative"}};
    for (const auto& c : cases) {
        const auto [line, text] = errorOf(c.script);
        EXPECT_EQ(line, c.line) << c.script;
        EXPECT_NE(text.find(c.text), std::string::npos) << c.script << " -> " << text;
    }
}

TEST(AvsEvaluator, TheEditorScriptGivesOneResizedSubtitledFrame) {
    const Clip e =
        clipOf("BlankClip(length=1, width=480, height=273)\r\nSubtitle(\"Tessera's Matrix Editor\",y=150,"
               "font=\"Arial\", size=44,text_color=$16102255,halo_color=$ffffff)\r\nBilinearResize(480,384)\r\n");
    ASSERT_EQ(e.stages.size(), 2U);
    const SubtitleText& s = e.stages[0].subtitle;
    EXPECT_EQ(std::make_tuple(shapeOf(e), s.align, s.x, s.y, s.size, s.textColor),
              std::make_tuple(std::string("480x384 24/1 fps 1 frames RGB32"), 7, 8.0, 150.0, 44.0, 0x16102255U));
}

TEST(AvsEvaluator, TrimClampsAsAviSynthCountedInFrames) {
    const struct {
        const char* arguments;
        int frames;
    } cases[] = {
        // An inclusive range; 0 to the end; a negative last as a count; a last before the first gives one frame;
        // a range beyond the end is clamped, a first beyond it gives the last frame; a negative first is 0.
        {"10,69", 60}, {"10,0", 90}, {"10,-5", 5},        {"20,10", 1},     {"90,500", 10},
        {"150,0", 1},  {"-7,4", 5},  {"10, length=7", 7}, {"10, end=12", 3}};
    for (const auto& c : cases)
        EXPECT_EQ(clipOf("BlankClip(length=100)\nTrim(" + std::string(c.arguments) + ")").frames, c.frames)
            << c.arguments;
}

TEST(AvsD2v, HeaderAndFrameCountPerFieldOperation) {
    const std::string head = "DGIndexProjectFile16\r\n2\r\nD:\\DVD\\VIDEO_TS\\VTS_01_1.VOB\r\nVTS_01_2.VOB\r\n\r\n"
                             "Stream_Type=1\r\nClipping=8,8,0,2\r\nPicture_Size=704x478\r\n";
    // An open first GOP: two leading B pictures (no bit 7) are not shown. Then 3:2 flags (TFF/RFF).
    const std::string data =
        "\r\n\r\n900 5 0 0 0 0 0 32 32 d2 f3 e0 f1 e2 f3 e0 f1\r\n900 5 0 0 0 0 0 d2 ff\r\n\r\nFINISHED\r\n";
    const struct {
        int op;
        const char* rate;
        int frames;
        Rational fps;
    } cases[] = {{0, "29970 (30000/1001)", 11, {30000, 1001}},
                 {1, "23976 (24000/1001)", 9, {24000, 1001}},
                 {2, "29970 (30000/1001)", 9, {30000, 1001}},
                 {2, "25000", 9, {25, 1}}};
    for (const auto& c : cases) {
        const D2vProject d =
            parseD2v(head + "Field_Operation=" + std::to_string(c.op) + "\r\nFrame_Rate=" + c.rate + data);
        EXPECT_EQ(std::tie(d.frames, d.frameRate, d.codedPictures), std::make_tuple(c.frames, c.fps, 9)) << c.rate;
        EXPECT_EQ(std::tie(d.files, d.clipping, d.width, d.height),
                  std::make_tuple(std::vector<std::string>{"D:\\DVD\\VIDEO_TS\\VTS_01_1.VOB", "VTS_01_2.VOB"},
                                  std::array<int, 4>{8, 8, 0, 2}, 704, 478));
    }
    // Not a project file; fewer files than it says; no picture lines.
    for (const std::string& bad :
         {std::string("DGIndex\r\n"), std::string("DGIndexProjectFile16\r\n3\r\na\r\nb\r\n\r\nPicture_Size=2x2\r\n"),
          head + "\r\n"})
        EXPECT_THROW(parseD2v(bad), std::runtime_error) << bad;
}

namespace {

// Deen's spatial mean written the plain way: edge samples repeated, the centre and every neighbour
// within the threshold of it averaged as a double, rounded half up.
std::vector<std::uint8_t> deenReference(const std::vector<std::uint8_t>& in, int w, int h, int r, int thr) {
    const auto at = [&](int x, int y) -> int {
        return in[static_cast<std::size_t>(std::clamp(y, 0, h - 1) * w + std::clamp(x, 0, w - 1))];
    };
    std::vector<std::uint8_t> out(in.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double sum = 0;
            int n = 0;
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx)
                    if ((dx == 0 && dy == 0) || std::abs(at(x + dx, y + dy) - at(x, y)) < thr)
                        sum += at(x + dx, y + dy), ++n;
            out[static_cast<std::size_t>(y * w + x)] = static_cast<std::uint8_t>(sum / n + 0.5);
        }
    return out;
}

} // namespace

TEST(AvsNative, DeenEqualsTheThresholdedMeanReference) {
    std::mt19937 random(12);
    const struct {
        int w, h, r, thr, spread;
    } cases[] = {{17, 9, 1, 10, 30}, {16, 16, 1, 12, 255}, {13, 11, 2, 10, 40},
                 {9, 20, 3, 7, 20},  {5, 4, 4, 20, 60},    {8, 8, 1, 0, 50}};
    for (const auto& c : cases) {
        std::vector<std::uint8_t> in(static_cast<std::size_t>(c.w * c.h)), out(in.size());
        std::uniform_int_distribution<int> base(0, 255 - c.spread), spread(0, c.spread);
        const int b = base(random);
        for (auto& v : in)
            v = static_cast<std::uint8_t>(b + spread(random));
        deenPlane(in.data(), out.data(), c.w, c.h, c.r, c.thr);
        EXPECT_EQ(out, deenReference(in, c.w, c.h, c.r, c.thr)) << c.w << "x" << c.h << " r" << c.r << " thr" << c.thr;
    }
}

TEST(AvsEvaluator, VariablesLastReturnAndChainsGiveTheClipAviSynthGives) {
    const struct {
        const char* script;
        const char* shape;
    } cases[] = {
        {"BlankClip()", "640x480 24/1 fps 240 frames RGB32"},
        {"BlankClip(fps=29.97)", "640x480 30000/1001 fps 240 frames RGB32"},
        {"BlankClip(clip=BlankClip(length=4, width=352, height=288, pixel_type=\"YV12\"), fps=25)",
         "352x288 25/1 fps 4 frames YV12"},
        {"a = BlankClip(length=9)\nreturn a.Trim(2, 4)\nBlankClip()\n", "640x480 24/1 fps 3 frames RGB32"},
        {"BlankClip(length=9)\nLoadPlugin(\"x.dll\")\n", "640x480 24/1 fps 9 frames RGB32"}, // no clip: last stays
        {"BlankClip(length=9, pixel_type=\"yuy2\").ConvertToYV12(interlaced=true)", "640x480 24/1 fps 9 frames YV12"},
        {"BlankClip().BilinearResize(320, 200, 8, 8, -8, -8)", "320x200 24/1 fps 240 frames RGB32"},
        {"BlankClip(width=480, height=273)\nBilinearResize(480,273)\nConvertToYUY2()",
         "480x273 24/1 fps 240 frames YUY2"},
        // Several statements on one line each apply to the last clip; a call needs no parentheses.
        {"BlankClip(length=5, pixel_type=\"YV12\") Trim(1, 2) ConvertToYUY2\n", "640x480 24/1 fps 2 frames YUY2"}};
    for (const auto& c : cases)
        EXPECT_EQ(shapeOf(clipOf(c.script)), c.shape) << c.script;
    EXPECT_EQ(clipOf("BlankClip(width=480, height=273).BilinearResize(480,273)").stages.size(), 0U); // same size: no-op
}
