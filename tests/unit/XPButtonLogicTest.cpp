// The XP-style button without its window: colours per state as painted, caption marking,
// and the state machine's states and Clicks for mouse, keyboard, focus and activation.
#include "ui/XPButtonLogic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <vector>

using namespace quire::ui;
using quire::Rgb;

namespace {

constexpr XPButtonState kStates[] = {XPButtonState::Disabled, XPButtonState::Normal, XPButtonState::Focused,
                                     XPButtonState::Hover, XPButtonState::Pressed};

// Paints the face rectangles into a pixel grid; pixels nothing paints stay empty.
class Canvas {
public:
    Canvas(XPButtonState state, int width, int height) : m_width(width), m_pixels(index(width, height, 0)) {
        for (const PaintRect& r : xpButtonFace(state, width, height)) {
            for (int y = r.y; y < r.y + r.height; ++y)
                for (int x = r.x; x < r.x + r.width; ++x)
                    m_pixels[index(width, y, x)] = r.colour;
        }
    }
    std::optional<Rgb> at(int x, int y) const { return m_pixels[index(m_width, y, x)]; }

private:
    static std::size_t index(int width, int y, int x) {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
    }
    int m_width;
    std::vector<std::optional<Rgb>> m_pixels;
};

std::string describe(std::optional<Rgb> c) {
    if (!c)
        return "nothing";
    return std::to_string(c->red) + "," + std::to_string(c->green) + "," + std::to_string(c->blue);
}

} // namespace

TEST(XPButtonFace, PaintsEachStateWithItsPalette) {
    // A 75 x 23 button: border on rows 0 and 22 and columns 0 and 74, inner edges on rows 1 and 2,
    // face from row 3 to row 19, the lines just inside the border on rows 20 and 21.
    // The colour at each point in the states Disabled, Normal, Focused, Hover and Pressed.
    const std::string border = " 0,60,116 0,60,116 0,60,116 0,60,116";
    const struct {
        const char* role;
        int x, y;
        std::string colours;
    } points[] = {{"top border", 37, 0, "201,199,186" + border},
                  {"right border", 74, 11, "201,199,186" + border},
                  {"first inner edge", 37, 1, "247,247,239 255,255,255 206,231,255 255,243,206 191,199,202"},
                  {"face, top row", 37, 3, "245,244,234 252,252,251 252,252,251 252,252,251 231,227,222"},
                  {"face, bottom row", 37, 19, "245,244,234 236,235,230 236,235,230 236,235,230 231,227,222"},
                  {"edge band, top", 1, 3, "245,244,234 252,252,251 189,211,247 225,223,156 191,199,202"},
                  {"edge shade 1", 37, 20, "245,244,234 226,223,214 140,174,231 255,178,49 231,227,222"},
                  {"corner shade 1", 1, 1, "196,177,140 33,85,132 33,85,132 33,85,132 33,85,132"},
                  {"corner shade 1, mirrored", 73, 21, "196,177,140 33,85,132 33,85,132 33,85,132 33,85,132"},
                  {"corner shade 3", 0, 2, "196,177,140 82,125,165 82,125,165 82,125,165 82,125,165"}};
    for (const auto& p : points) {
        std::string colours;
        for (const XPButtonState state : kStates)
            colours += (colours.empty() ? "" : " ") + describe(Canvas(state, 75, 23).at(p.x, p.y));
        EXPECT_EQ(colours, p.colours) << p.role;
    }
    for (const XPButtonState state : kStates) {
        const Canvas canvas(state, 75, 23);
        const int s = static_cast<int>(state);
        // The rounded outline leaves the very corner to the window behind.
        EXPECT_FALSE(canvas.at(0, 0).has_value()) << "state " << s;
        EXPECT_FALSE(canvas.at(74, 22).has_value()) << "state " << s;
    }
}

TEST(XPButtonFace, CoversEveryPixelButTheCutCorners) {
    for (const XPButtonState state : kStates) {
        for (const auto& [w, h] : {std::pair{75, 23}, std::pair{121, 33}, std::pair{8, 8}}) {
            const Canvas canvas(state, w, h);
            const auto cut = xpButtonCutCorners(w, h);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const bool isCut =
                        std::any_of(cut.begin(), cut.end(), [&](const PaintRect& r) { return r.x == x && r.y == y; });
                    EXPECT_EQ(canvas.at(x, y).has_value(), !isCut)
                        << "state " << static_cast<int>(state) << " " << w << "x" << h << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST(XPButtonFace, StaysInsideTinyButtons) {
    for (const XPButtonState state : kStates) {
        for (int w = -1; w <= 7; ++w) {
            for (int h = -1; h <= 7; ++h) {
                for (const PaintRect& r : xpButtonFace(state, w, h)) {
                    EXPECT_GT(r.width, 0);
                    EXPECT_GT(r.height, 0);
                    EXPECT_GE(r.x, 0);
                    EXPECT_GE(r.y, 0);
                    EXPECT_LE(r.x + r.width, w);
                    EXPECT_LE(r.y + r.height, h);
                }
            }
        }
    }
    EXPECT_TRUE(xpButtonFace(XPButtonState::Normal, 0, 23).empty());
    EXPECT_EQ(xpButtonCutCorners(1, 1).size(), 1u);
    EXPECT_EQ(xpButtonCutCorners(75, 23).size(), 4u);
}

TEST(XPButtonFace, GradientRunsTopToBottomOneColourPerRow) {
    const Gradient band{{225, 223, 156}, {255, 182, 48}};
    EXPECT_EQ(gradientRow(band, 0, 18), (Rgb{225, 223, 156}));
    EXPECT_EQ(gradientRow(band, 17, 18), (Rgb{255, 182, 48}));
    EXPECT_EQ(gradientRow(band, 1, 3), (Rgb{240, 203, 102}));
    EXPECT_EQ(gradientRow(band, -5, 18), (Rgb{225, 223, 156}));
    EXPECT_EQ(gradientRow(band, 99, 18), (Rgb{255, 182, 48}));
    EXPECT_EQ(gradientRow(band, 0, 1), (Rgb{225, 223, 156}));
    EXPECT_EQ(gradientRow(band, 0, 0), (Rgb{225, 223, 156}));
    // Each row of the face is one colour from top to bottom, never lighter than the row above.
    const Canvas canvas(XPButtonState::Normal, 75, 23);
    for (int y = 4; y <= 19; ++y) {
        EXPECT_EQ(describe(canvas.at(10, y)), describe(canvas.at(60, y))) << y;
        EXPECT_LE(canvas.at(10, y)->blue, canvas.at(10, y - 1)->blue) << y;
    }
}

TEST(XPButtonPalette, DisabledCaptionColour) {
    EXPECT_EQ(kXPDisabledTextColour, (Rgb{161, 161, 146}));
    EXPECT_FALSE(xpButtonColours(XPButtonState::Disabled).edgeBand.has_value());
    EXPECT_FALSE(xpButtonColours(XPButtonState::Pressed).edgeBand.has_value());
}

TEST(XPCaptionParse, MarksTheAccessKey) {
    struct Case {
        std::u32string caption;
        std::u32string text;
        int underline;
        char32_t key;
    };
    const Case cases[] = {{U"&OK", U"OK", 0, U'o'},
                          {U"&Save", U"Save", 0, U's'},
                          {U"E&xit", U"Exit", 1, U'x'},
                          {U"&Preview/Test", U"Preview/Test", 0, U'p'},
                          {U"Cancel", U"Cancel", -1, 0},
                          {U"", U"", -1, 0},
                          {U"Save && Exit", U"Save & Exit", -1, 0},
                          {U"A&&B&C", U"A&BC", 3, U'c'},
                          {U"&&&Go", U"&Go", 1, U'g'},
                          {U"&A&B", U"AB", 0, U'a'},
                          {U"Tail&", U"Tail", -1, 0},
                          {U"&", U"", -1, 0},
                          {U"&&", U"&", -1, 0},
                          {U"&1 step", U"1 step", 0, U'1'},
                          {U"\u00C9&\u00C9", U"\u00C9\u00C9", 1, U'\u00E9'},
                          {U"&\u0160", U"\u0160", 0, U'\u0161'},
                          {U"&\u0178", U"\u0178", 0, U'\u00FF'},
                          {U"&\u00D7", U"\u00D7", 0, U'\u00D7'}};
    for (const Case& c : cases) {
        const XPCaption parsed = parseCaption(c.caption);
        const std::string label(c.caption.begin(), c.caption.end());
        EXPECT_TRUE(parsed.text == c.text) << label;
        EXPECT_EQ(parsed.underline, c.underline) << label;
        EXPECT_EQ(parsed.accessKey, c.key) << label;
    }
}

// --- state machine -----------------------------------------------------------------------

namespace {

using Event = std::function<XPReaction(XPButtonMachine&)>;
const Event enter = [](XPButtonMachine& m) { return m.mouseEnter(); };
const Event leave = [](XPButtonMachine& m) { return m.mouseLeave(); };
const Event down = [](XPButtonMachine& m) { return m.leftDown(); };
const Event upOver = [](XPButtonMachine& m) { return m.leftUp(true); };
const Event upOutside = [](XPButtonMachine& m) { return m.leftUp(false); };
const Event dblClick = [](XPButtonMachine& m) { return m.doubleClick(); };
const Event enterKey = [](XPButtonMachine& m) { return m.enterKey(); };
const Event spaceDown = [](XPButtonMachine& m) { return m.spaceDown(); };
const Event spaceUp = [](XPButtonMachine& m) { return m.spaceUp(); };
const Event accessKey = [](XPButtonMachine& m) { return m.accessKey(); };
const Event focusIn = [](XPButtonMachine& m) { return m.focusIn(); };
const Event focusOut = [](XPButtonMachine& m) { return m.focusOut(); };
const Event makeDefault = [](XPButtonMachine& m) { return m.setDefault(true); };
const Event undefault = [](XPButtonMachine& m) { return m.setDefault(false); };
const Event activate = [](XPButtonMachine& m) { return m.setParentActive(true); };
const Event deactivate = [](XPButtonMachine& m) { return m.setParentActive(false); };
const Event disable = [](XPButtonMachine& m) { return m.setEnabled(false); };
const Event enable = [](XPButtonMachine& m) { return m.setEnabled(true); };

constexpr auto D = XPButtonState::Disabled;
constexpr auto N = XPButtonState::Normal;
constexpr auto F = XPButtonState::Focused;
constexpr auto H = XPButtonState::Hover;
constexpr auto P = XPButtonState::Pressed;

struct Step {
    Event event;
    XPButtonState state;
    bool click = false;
};

// Runs the steps on a new machine and checks the state and the Click after each.
void run(const char* name, const std::vector<Step>& steps) {
    XPButtonMachine machine;
    int index = 0;
    for (const Step& step : steps) {
        const XPReaction reaction = step.event(machine);
        EXPECT_EQ(static_cast<int>(machine.state()), static_cast<int>(step.state)) << name << ", step " << index;
        EXPECT_EQ(reaction.click, step.click) << name << ", step " << index;
        ++index;
    }
}

} // namespace

TEST(XPButtonMachine, Mouse) {
    run("click", {{enter, H}, {focusIn, H}, {down, P}, {upOver, H, true}, {leave, F}});
    run("press before focus", {{enter, H}, {down, P}, {focusIn, P}, {upOver, H, true}});
    run("release without focus", {{enter, H}, {down, P}, {upOver, H}});
    run("release outside", {{enter, H}, {focusIn, H}, {down, P}, {leave, F}, {upOutside, F}});
    run("out and back in", {{enter, H}, {focusIn, H}, {down, P}, {leave, F}, {enter, P}, {upOver, H, true}});
    run("leave without focus", {{enter, H}, {leave, N}});
    run("leave as default", {{makeDefault, F}, {enter, H}, {leave, F}});
    run("up without down", {{focusIn, F}, {enter, H}, {upOver, H}});
    run("double click", {{enter, H},
                         {focusIn, H},
                         {down, P},
                         {upOver, H, true},
                         {dblClick, P},
                         {upOver, H},
                         {down, P},
                         {upOver, H, true}});
}

TEST(XPButtonMachine, DoubleClickIsReported) {
    XPButtonMachine m;
    EXPECT_TRUE(m.doubleClick().doubleClick);
    EXPECT_FALSE(m.leftDown().doubleClick);
    m.setEnabled(false);
    EXPECT_FALSE(m.doubleClick().doubleClick);
}

TEST(XPButtonMachine, InactiveWindowGivesNoClick) {
    run("release while inactive", {{enter, H}, {focusIn, H}, {down, P}, {deactivate, P}, {upOver, P}});
    // The release forgot the press: coming back shows hover, not pressed.
    run("hover after", {{enter, H}, {focusIn, H}, {down, P}, {deactivate, P}, {upOver, P}, {leave, F}, {enter, H}});
    run("active again", {{deactivate, N}, {enter, H}, {focusIn, H}, {activate, H}, {down, P}, {upOver, H, true}});
    // The release itself neither repaints nor clicks.
    XPButtonMachine m;
    m.mouseEnter();
    m.focusIn();
    m.leftDown();
    m.setParentActive(false);
    const XPReaction up = m.leftUp(true);
    EXPECT_FALSE(up.repaint);
    EXPECT_FALSE(up.click);
}

TEST(XPButtonMachine, Keyboard) {
    run("space", {{focusIn, F}, {spaceDown, P}, {spaceUp, F, true}, {spaceUp, F}});
    run("space under the mouse", {{enter, H}, {focusIn, H}, {spaceDown, P}, {spaceUp, H, true}});
    run("space lost with the focus", {{focusIn, F}, {spaceDown, P}, {focusOut, N}, {spaceUp, N}});
    run("enter", {{focusIn, F}, {enterKey, F, true}, {enterKey, F, true}});
    run("access key", {{accessKey, F, true}});
    run("access key under the mouse", {{enter, H}, {accessKey, H, true}});
    run("access key ends space", {{focusIn, F}, {spaceDown, P}, {accessKey, F, true}, {spaceUp, F}});
}

TEST(XPButtonMachine, FocusAndDefault) {
    run("focus", {{focusIn, F}, {focusOut, N}});
    run("focus under the mouse", {{enter, H}, {focusIn, H}, {focusOut, H}});
    run("focus while pressed", {{spaceDown, P}, {focusIn, P}});
    run("focus out of default", {{makeDefault, F}, {focusIn, F}, {focusOut, F}});
    run("focus out, window inactive", {{enter, H}, {focusIn, H}, {deactivate, H}, {focusOut, N}});
    run("default", {{makeDefault, F}, {undefault, N}});
    run("default under the mouse", {{enter, H}, {makeDefault, H}, {undefault, H}, {leave, N}});
    run("focus out clears the press", {{enter, H}, {focusIn, H}, {down, P}, {focusOut, H}, {upOver, H}});
}

TEST(XPButtonMachine, Disabled) {
    run("ignores everything", {{disable, D},
                               {enter, D},
                               {focusIn, D},
                               {down, D},
                               {upOver, D},
                               {spaceDown, D},
                               {spaceUp, D},
                               {enterKey, D},
                               {accessKey, D},
                               {dblClick, D},
                               {makeDefault, D},
                               {deactivate, D},
                               {activate, D}});
    run("enabled under the mouse", {{disable, D}, {enter, D}, {enable, H}});
    run("enabled as default", {{disable, D}, {makeDefault, D}, {enable, F}});
    run("enabled with focus", {{disable, D}, {focusIn, D}, {enable, F}});
    run("disabled mid-press", {{enter, H}, {focusIn, H}, {down, P}, {disable, D}, {enable, H}, {upOver, H}});
    run("enable twice", {{enable, N}, {enable, N}});
}
