// The XP-style button without its window: colours per state as painted, caption marking,
// and the state machine's states and Clicks for mouse, keyboard, focus and activation.
#include "ui/XPButtonLogic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <sstream>

using namespace quire::ui;
using quire::Rgb;

namespace {

constexpr XPButtonState kStates[] = {XPButtonState::Disabled, XPButtonState::Normal, XPButtonState::Focused,
                                     XPButtonState::Hover, XPButtonState::Pressed};

// The colour the face drawing leaves at a pixel, if any, and as text.
std::optional<Rgb> at(const std::vector<PaintRect>& face, int x, int y) {
    std::optional<Rgb> c;
    for (const PaintRect& r : face)
        if (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height)
            c = r.colour;
    return c;
}
std::string describe(std::optional<Rgb> c) {
    return c ? std::to_string(c->red) + "," + std::to_string(c->green) + "," + std::to_string(c->blue) : "nothing";
}

} // namespace

TEST(XPButtonFace, PaintsEachStateWithItsPalette) {
    // A 75 x 23 button: border on rows 0 and 22 and columns 0 and 74, inner edges on rows 1 and 2,
    // face from row 3 to row 19, the lines just inside the border on rows 20 and 21. The colour at
    // each point in the states Disabled, Normal, Focused, Hover and Pressed; the very corner is cut.
    const std::string border = " 0,60,116 0,60,116 0,60,116 0,60,116";
    const struct {
        const char* role;
        int x, y;
        std::string colours;
    } points[] = {{"top border", 37, 0, "201,199,186" + border},
                  {"first inner edge", 37, 1, "247,247,239 255,255,255 206,231,255 255,243,206 191,199,202"},
                  {"face, top row", 37, 3, "245,244,234 252,252,251 252,252,251 252,252,251 231,227,222"},
                  {"face, bottom row", 37, 19, "245,244,234 236,235,230 236,235,230 236,235,230 231,227,222"},
                  {"edge band, top", 1, 3, "245,244,234 252,252,251 189,211,247 225,223,156 191,199,202"},
                  {"edge shade 1", 37, 20, "245,244,234 226,223,214 140,174,231 255,178,49 231,227,222"},
                  {"corner shade 1", 1, 1, "196,177,140 33,85,132 33,85,132 33,85,132 33,85,132"},
                  {"corner shade 3", 0, 2, "196,177,140 82,125,165 82,125,165 82,125,165 82,125,165"},
                  {"cut corner", 0, 0, "nothing nothing nothing nothing nothing"}};
    for (const auto& p : points) {
        std::string colours;
        for (const XPButtonState state : kStates)
            colours += (colours.empty() ? "" : " ") + describe(at(xpButtonFace(state, 75, 23), p.x, p.y));
        EXPECT_EQ(colours, p.colours) << p.role;
    }
}

// Every pixel but the cut corners is painted.
TEST(XPButtonFace, CoversEveryPixelButTheCutCorners) {
    for (const XPButtonState state : kStates) {
        for (const auto& [w, h] : {std::pair{75, 23}, std::pair{8, 8}}) {
            const auto face = xpButtonFace(state, w, h);
            const auto cut = xpButtonCutCorners(w, h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const bool isCut =
                        std::any_of(cut.begin(), cut.end(), [&](auto& r) { return r.x == x && r.y == y; });
                    EXPECT_EQ(!at(face, x, y).has_value(), isCut)
                        << int(state) << " " << w << "x" << h << " at " << x << "," << y;
                }
        }
    }
    EXPECT_EQ(xpButtonCutCorners(1, 1).size() + xpButtonCutCorners(2, 1).size(), 3u);
}

TEST(XPButtonFace, GradientRunsTopToBottom) {
    const Gradient band{{225, 223, 156}, {255, 182, 48}};
    // The face's first and last rows are the face points' check; here a row between, one past the end and a
    // band of one row.
    EXPECT_EQ(gradientRow(band, 1, 3), (Rgb{240, 203, 102}));
    EXPECT_EQ(gradientRow(band, 99, 18), band.bottom);
    EXPECT_EQ(gradientRow(band, 0, 1), band.top);
}

TEST(XPCaptionParse, MarksTheAccessKey) {
    const struct {
        std::u32string caption, text;
        int underline;
        char32_t key;
    } cases[] = {{U"E&xit", U"Exit", 1, 'x'},  {U"Cancel", U"Cancel", -1, 0}, {U"Save && Exit", U"Save & Exit", -1, 0},
                 {U"A&&B&C", U"A&BC", 3, 'c'}, {U"&A&B", U"AB", 0, 'a'},      {U"Tail&", U"Tail", -1, 0},
                 {U"É&É", U"ÉÉ", 1, 0xE9},     {U"&Š", U"Š", 0, 0x161},       {U"&×", U"×", 0, 0xD7}};
    for (const auto& c : cases) {
        const XPCaption parsed = parseCaption(c.caption);
        EXPECT_TRUE(parsed.text == c.text && parsed.underline == c.underline && parsed.accessKey == c.key)
            << std::string(c.caption.begin(), c.caption.end()) << ": " << parsed.underline << " "
            << static_cast<int>(parsed.accessKey);
    }
}

namespace {

using Event = std::function<XPReaction(XPButtonMachine&)>;
const std::map<std::string, Event> kEvents = {
    {"enter", [](XPButtonMachine& m) { return m.mouseEnter(); }},
    {"leave", [](XPButtonMachine& m) { return m.mouseLeave(); }},
    {"down", [](XPButtonMachine& m) { return m.leftDown(); }},
    {"up", [](XPButtonMachine& m) { return m.leftUp(true); }},
    {"upOut", [](XPButtonMachine& m) { return m.leftUp(false); }},
    {"dbl", [](XPButtonMachine& m) { return m.doubleClick(); }},
    {"return", [](XPButtonMachine& m) { return m.enterKey(); }},
    {"space", [](XPButtonMachine& m) { return m.spaceDown(); }},
    {"spaceUp", [](XPButtonMachine& m) { return m.spaceUp(); }},
    {"alt", [](XPButtonMachine& m) { return m.accessKey(); }},
    {"focus", [](XPButtonMachine& m) { return m.focusIn(); }},
    {"blur", [](XPButtonMachine& m) { return m.focusOut(); }},
    {"default", [](XPButtonMachine& m) { return m.setDefault(true); }},
    {"undefault", [](XPButtonMachine& m) { return m.setDefault(false); }},
    {"activate", [](XPButtonMachine& m) { return m.setParentActive(true); }},
    {"deactivate", [](XPButtonMachine& m) { return m.setParentActive(false); }},
    {"enable", [](XPButtonMachine& m) { return m.setEnabled(true); }},
    {"disable", [](XPButtonMachine& m) { return m.setEnabled(false); }}};

} // namespace

// Each row runs its steps on a new machine. A step is "event:S", S the state after it (Disabled,
// Normal, Focused, Hover, Pressed), and "!" after S where the step gives a Click.
TEST(XPButtonMachine, StatesAndClicks) {
    const struct {
        const char* name;
        const char* steps;
    } rows[] = {{"click", "enter:H focus:H down:P up:H! leave:F"},
                {"release without focus", "enter:H down:P up:H"},
                {"release outside", "enter:H focus:H down:P leave:F upOut:F"},
                {"out and back in", "enter:H focus:H down:P leave:F enter:P up:H!"},
                {"up without down", "focus:F enter:H up:H"},
                {"double click", "enter:H focus:H down:P up:H! dbl:P up:H down:P up:H!"},
                {"inactive release forgets the press", "enter:H focus:H down:P deactivate:P up:P leave:F enter:H"},
                {"active again", "deactivate:N enter:H focus:H activate:H down:P up:H!"},
                {"space", "focus:F space:P spaceUp:F! spaceUp:F"},
                {"space lost with the focus", "focus:F space:P blur:N spaceUp:N"},
                {"enter", "focus:F return:F! return:F!"},
                {"access key under the mouse", "enter:H alt:H!"},
                {"access key ends space", "focus:F space:P alt:F! spaceUp:F"},
                {"focus out, window inactive", "enter:H focus:H deactivate:H blur:N"},
                {"default", "default:F undefault:N"},
                {"focus out clears the press", "enter:H focus:H down:P blur:H up:H"},
                {"disabled ignores everything",
                 "disable:D enter:D focus:D down:D up:D space:D spaceUp:D return:D alt:D dbl:D "
                 "default:D deactivate:D activate:D"},
                {"enabled under the mouse", "disable:D enter:D enable:H"},
                {"enabled as default", "disable:D default:D enable:F"},
                {"disabled mid-press", "enter:H focus:H down:P disable:D enable:H up:H"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        XPButtonMachine machine;
        std::istringstream steps(row.steps);
        for (std::string step; steps >> step;) {
            const auto colon = step.find(':');
            const XPReaction reaction = kEvents.at(step.substr(0, colon))(machine);
            EXPECT_EQ("DNFHP"[static_cast<int>(machine.state())], step[colon + 1]) << step;
            EXPECT_EQ(reaction.click, step.back() == '!') << step;
        }
    }
}

TEST(XPButtonMachine, DoubleClickIsReportedAndAnInactiveReleaseIsNotPainted) {
    XPButtonMachine m;
    EXPECT_TRUE(m.doubleClick().doubleClick && !m.leftDown().doubleClick);
    m.setEnabled(false);
    EXPECT_FALSE(m.doubleClick().doubleClick);
    XPButtonMachine inactive;
    inactive.mouseEnter();
    inactive.focusIn();
    inactive.leftDown();
    inactive.setParentActive(false);
    const XPReaction up = inactive.leftUp(true);
    EXPECT_FALSE(up.repaint || up.click);
}
