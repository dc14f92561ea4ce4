// The XP-style push button without its window: the five visual states and their palette, the
// state machine that turns mouse, keyboard, focus and activation events into a state and Click,
// the drawing of the face as coloured rectangles, and the caption's access-key marking.
#pragma once

#include "app/Colours.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quire::ui {

enum class XPButtonState : int { Disabled = 0, Normal = 1, Focused = 2, Hover = 3, Pressed = 4 };
inline constexpr int kXPButtonStateCount = 5;

// A vertical gradient: the first colour on the top row, the second on the bottom row.
struct Gradient {
    Rgb top;
    Rgb bottom;
};

// The colours one state paints with. A flat face has equal top and bottom colours.
struct XPButtonColours {
    Rgb outerBorder;
    Rgb firstInnerEdge;
    Rgb secondInnerEdge;
    Rgb cornerShade1;
    Rgb cornerShade2;
    Rgb cornerShade3;
    Gradient face;
    std::optional<Gradient> edgeBand;
    // The lines just inside the border: two for states 1 to 3, one for the pressed state.
    std::vector<Rgb> edgeShades;
};

const XPButtonColours& xpButtonColours(XPButtonState state);
inline constexpr Rgb kXPDisabledTextColour{161, 161, 146};

// The colour of row `row` (0 = top) of a gradient `rows` rows high; the last row is exactly the
// bottom colour. Rows outside 0..rows-1 are clamped.
Rgb gradientRow(const Gradient& gradient, int row, int rows);

// One filled rectangle of the button's face, in pixels from the top-left corner.
struct PaintRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    Rgb colour;
};

// The rectangles that paint the button's face, border, edges and corners in `state` for a button
// of `width` x `height` pixels, in painting order. Every rectangle lies inside the button and has a
// positive size; a button too small to hold the border gives what fits (possibly nothing).
std::vector<PaintRect> xpButtonFace(XPButtonState state, int width, int height);

// The pixels that the rounded outline leaves out of the button: one at each corner.
std::vector<PaintRect> xpButtonCutCorners(int width, int height);

// A caption with its access key marked by "&": the text as drawn, the index in it of the
// underlined character (-1 when none) and the access key, lower-cased (0 when none).
// "&&" stands for one ampersand; the first single "&" marks the next character; further single
// "&"s are dropped, and so is a "&" at the very end.
struct XPCaption {
    std::u32string text;
    int underline = -1;
    char32_t accessKey = 0;
};
XPCaption parseCaption(std::u32string_view caption);

// Lower-cases a character by the rules of the system's ANSI code page: A-Z, À-Þ except ×,
// and Š, Œ, Ž, Ÿ; everything else is returned unchanged.
char32_t lowerAccessKey(char32_t c);

// What an event asks of the button: paint again, raise Click, raise the double-click event.
struct XPReaction {
    bool repaint = false;
    bool click = false;
    bool doubleClick = false;
};

// Decides the visual state and when Click is raised. A new machine is enabled, in the normal
// state, with the mouse outside, no focus, not the default button, and its window active.
// While disabled it stays in the disabled state and ignores mouse and keys, but keeps track of
// where the mouse is, the focus, the default flag and the window's activation.
class XPButtonMachine {
public:
    XPButtonState state() const { return m_state; }
    bool enabled() const { return m_enabled; }
    bool mouseInside() const { return m_inside; }
    bool leftHeld() const { return m_leftHeld; }
    bool spaceHeld() const { return m_spaceHeld; }
    bool hasFocus() const { return m_focus; }
    bool isDefault() const { return m_default; }
    bool parentActive() const { return m_parentActive; }

    XPReaction mouseEnter();
    XPReaction mouseLeave();
    XPReaction leftDown();
    // `pointerOver`: whether the pointer is over the button at the release. Ignored (no repaint,
    // no Click) while the window is inactive.
    XPReaction leftUp(bool pointerOver);
    XPReaction doubleClick();
    XPReaction enterKey();
    XPReaction spaceDown();
    XPReaction spaceUp();
    XPReaction accessKey();
    XPReaction focusIn();
    XPReaction focusOut();
    XPReaction setDefault(bool isDefault);
    XPReaction setParentActive(bool active);
    XPReaction setEnabled(bool enabled);

private:
    XPButtonState restingState() const;

    XPButtonState m_state = XPButtonState::Normal;
    bool m_enabled = true;
    bool m_inside = false;
    bool m_leftHeld = false;
    bool m_spaceHeld = false;
    bool m_focus = false;
    bool m_default = false;
    bool m_parentActive = true;
};

} // namespace quire::ui
