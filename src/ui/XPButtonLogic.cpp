// The XP-style push button without its window: palette, state machine, face drawing, caption.
#include "ui/XPButtonLogic.h"

#include <algorithm>
#include <array>

namespace quire::ui {

namespace {

constexpr Rgb kBorder{0, 60, 116};
constexpr Rgb kCorner1{33, 85, 132};
constexpr Rgb kCorner2{123, 150, 173};
constexpr Rgb kCorner3{82, 125, 165};
constexpr Gradient kNormalFace{{252, 252, 251}, {236, 235, 230}};

const std::array<XPButtonColours, kXPButtonStateCount>& palette() {
    static const std::array<XPButtonColours, kXPButtonStateCount> colours{{
        // 0 disabled
        {{201, 199, 186},
         {247, 247, 239},
         {247, 247, 239},
         {196, 177, 140},
         {206, 199, 189},
         {196, 177, 140},
         {{245, 244, 234}, {245, 244, 234}},
         std::nullopt,
         {}},
        // 1 normal
        {kBorder,
         {255, 255, 255},
         {254, 254, 254},
         kCorner1,
         kCorner2,
         kCorner3,
         kNormalFace,
         kNormalFace,
         {{226, 223, 214}, {214, 208, 197}}},
        // 2 focused or default
        {kBorder,
         {206, 231, 255},
         {189, 215, 247},
         kCorner1,
         kCorner2,
         kCorner3,
         kNormalFace,
         Gradient{{189, 211, 247}, {140, 174, 231}},
         {{140, 174, 231}, {107, 130, 239}}},
        // 3 hover
        {kBorder,
         {255, 243, 206},
         {255, 219, 140},
         kCorner1,
         kCorner2,
         kCorner3,
         kNormalFace,
         Gradient{{225, 223, 156}, {255, 182, 48}},
         {{255, 178, 49}, {230, 150, 0}}},
        // 4 pressed
        {kBorder,
         {231, 227, 222},
         {231, 227, 222},
         kCorner1,
         kCorner2,
         kCorner3,
         {{231, 227, 222}, {231, 227, 222}},
         std::nullopt,
         {{191, 199, 202}}},
    }};
    return colours;
}

int blend(int from, int to, int row, int last) {
    return from + (to - from) * row / last;
}

// Collects rectangles, clipped to the button; empty ones are dropped.
class FaceBuilder {
public:
    FaceBuilder(int width, int height) : m_width(width), m_height(height) {}

    void fill(int x, int y, int width, int height, Rgb colour) {
        const int left = std::max(x, 0);
        const int top = std::max(y, 0);
        const int right = std::min(x + width, m_width);
        const int bottom = std::min(y + height, m_height);
        if (right > left && bottom > top)
            m_rects.push_back({left, top, right - left, bottom - top, colour});
    }
    // Lines include both end points.
    void hline(int x1, int x2, int y, Rgb colour) { fill(x1, y, x2 - x1 + 1, 1, colour); }
    void vline(int x, int y1, int y2, Rgb colour) { fill(x, y1, 1, y2 - y1 + 1, colour); }
    void gradient(int x, int y, int width, int height, const Gradient& g) {
        for (int row = 0; row < height; ++row)
            fill(x, y + row, width, 1, gradientRow(g, row, height));
    }
    // A pixel given relative to the top-left corner, repeated mirrored at the other three corners.
    void cornerPixel(int dx, int dy, Rgb colour) {
        fill(dx, dy, 1, 1, colour);
        fill(m_width - 1 - dx, dy, 1, 1, colour);
        fill(dx, m_height - 1 - dy, 1, 1, colour);
        fill(m_width - 1 - dx, m_height - 1 - dy, 1, 1, colour);
    }
    std::vector<PaintRect> take() { return std::move(m_rects); }

private:
    int m_width;
    int m_height;
    std::vector<PaintRect> m_rects;
};

} // namespace

const XPButtonColours& xpButtonColours(XPButtonState state) {
    const int index = std::clamp(static_cast<int>(state), 0, kXPButtonStateCount - 1);
    return palette()[static_cast<std::size_t>(index)];
}

Rgb gradientRow(const Gradient& gradient, int row, int rows) {
    if (rows <= 1)
        return gradient.top;
    const int last = rows - 1;
    const int r = std::clamp(row, 0, last);
    return Rgb{blend(gradient.top.red, gradient.bottom.red, r, last),
               blend(gradient.top.green, gradient.bottom.green, r, last),
               blend(gradient.top.blue, gradient.bottom.blue, r, last)};
}

std::vector<PaintRect> xpButtonFace(XPButtonState state, int width, int height) {
    if (width <= 0 || height <= 0)
        return {};
    const XPButtonColours& c = xpButtonColours(state);
    const int w = width;
    const int h = height;
    FaceBuilder face(w, h);

    // The face: flat for the disabled and pressed states, otherwise the edge band with the
    // gradient face inset 3 pixels on top of it.
    if (state == XPButtonState::Disabled || state == XPButtonState::Pressed) {
        face.fill(1, 1, w - 2, h - 2, c.face.top);
    } else {
        if (c.edgeBand)
            face.gradient(1, 3, w - 2, h - 5, *c.edgeBand);
        face.gradient(3, 3, w - 6, h - 6, c.face);
    }

    // The border stops 3 pixels short of each corner; the corner pixels close it.
    face.hline(3, w - 4, 0, c.outerBorder);
    face.hline(3, w - 4, h - 1, c.outerBorder);
    face.vline(0, 3, h - 4, c.outerBorder);
    face.vline(w - 1, 3, h - 4, c.outerBorder);

    face.hline(2, w - 3, 1, c.firstInnerEdge);
    face.hline(1, w - 2, 2, c.secondInnerEdge);
    if (state == XPButtonState::Pressed && !c.edgeShades.empty()) {
        // A shadow along the top and left edges makes the face look pushed in.
        face.hline(2, w - 3, 1, c.edgeShades[0]);
        face.vline(1, 2, h - 3, c.edgeShades[0]);
    } else if (c.edgeShades.size() >= 2) {
        face.hline(1, w - 2, h - 3, c.edgeShades[0]);
        face.hline(2, w - 3, h - 2, c.edgeShades[1]);
    }

    face.cornerPixel(1, 1, c.cornerShade1);
    face.cornerPixel(1, 0, c.cornerShade2);
    face.cornerPixel(0, 1, c.cornerShade2);
    face.cornerPixel(2, 0, c.cornerShade3);
    face.cornerPixel(0, 2, c.cornerShade3);
    return face.take();
}

std::vector<PaintRect> xpButtonCutCorners(int width, int height) {
    FaceBuilder corners(width, height);
    corners.cornerPixel(0, 0, Rgb{});
    auto rects = corners.take();
    // A button one pixel wide or high would list the same pixel twice.
    std::sort(rects.begin(), rects.end(),
              [](const PaintRect& a, const PaintRect& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    rects.erase(std::unique(rects.begin(), rects.end(),
                            [](const PaintRect& a, const PaintRect& b) { return a.x == b.x && a.y == b.y; }),
                rects.end());
    return rects;
}

char32_t lowerAccessKey(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return c + 0x20;
    switch (c) {
    case 0x160: // Š
    case 0x152: // Œ
    case 0x17D: // Ž
        return c + 1;
    case 0x178: // Ÿ
        return 0xFF;
    default:
        return c;
    }
}

XPCaption parseCaption(std::u32string_view caption) {
    XPCaption parsed;
    parsed.text.reserve(caption.size());
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] != U'&') {
            parsed.text += caption[i];
            continue;
        }
        if (i + 1 >= caption.size())
            break; // a final "&" marks nothing
        ++i;
        if (caption[i] == U'&') {
            parsed.text += U'&';
            continue;
        }
        if (parsed.underline < 0) {
            parsed.underline = static_cast<int>(parsed.text.size());
            parsed.accessKey = lowerAccessKey(caption[i]);
        }
        parsed.text += caption[i];
    }
    return parsed;
}

XPButtonState XPButtonMachine::restingState() const {
    if (m_inside)
        return m_leftHeld ? XPButtonState::Pressed : XPButtonState::Hover;
    return m_focus || m_default ? XPButtonState::Focused : XPButtonState::Normal;
}

XPReaction XPButtonMachine::mouseEnter() {
    m_inside = true;
    if (!m_enabled)
        return {};
    m_state = m_leftHeld ? XPButtonState::Pressed : XPButtonState::Hover;
    return {.repaint = true};
}

XPReaction XPButtonMachine::mouseLeave() {
    m_inside = false;
    if (!m_enabled)
        return {};
    m_state = m_focus || m_default ? XPButtonState::Focused : XPButtonState::Normal;
    return {.repaint = true};
}

XPReaction XPButtonMachine::leftDown() {
    if (!m_enabled)
        return {};
    m_leftHeld = true;
    m_state = XPButtonState::Pressed;
    return {.repaint = true};
}

XPReaction XPButtonMachine::leftUp(bool pointerOver) {
    if (!m_enabled)
        return {};
    if (!m_parentActive) {
        // No repaint and no Click; the held flags still go, so a later hover does not look pressed.
        m_leftHeld = false;
        m_spaceHeld = false;
        return {};
    }
    m_inside = pointerOver;
    const bool click = pointerOver && m_focus && m_leftHeld;
    m_leftHeld = false;
    m_spaceHeld = false;
    m_state = restingState();
    return {.repaint = true, .click = click};
}

XPReaction XPButtonMachine::doubleClick() {
    if (!m_enabled)
        return {};
    // The release that ends a double click raises no second Click.
    m_leftHeld = false;
    m_state = XPButtonState::Pressed;
    return {.repaint = true, .doubleClick = true};
}

XPReaction XPButtonMachine::enterKey() {
    if (!m_enabled)
        return {};
    return {.click = true};
}

XPReaction XPButtonMachine::spaceDown() {
    if (!m_enabled)
        return {};
    m_spaceHeld = true;
    m_state = XPButtonState::Pressed;
    return {.repaint = true};
}

XPReaction XPButtonMachine::spaceUp() {
    if (!m_enabled)
        return {};
    const bool click = m_spaceHeld;
    m_spaceHeld = false;
    m_state = restingState();
    return {.repaint = true, .click = click};
}

XPReaction XPButtonMachine::accessKey() {
    if (!m_enabled)
        return {};
    m_spaceHeld = false;
    m_state = m_inside ? XPButtonState::Hover : XPButtonState::Focused;
    return {.repaint = true, .click = true};
}

XPReaction XPButtonMachine::focusIn() {
    m_focus = true;
    if (!m_enabled || m_state == XPButtonState::Pressed)
        return {};
    m_state = m_inside ? XPButtonState::Hover : XPButtonState::Focused;
    return {.repaint = true};
}

XPReaction XPButtonMachine::focusOut() {
    m_focus = false;
    m_leftHeld = false;
    m_spaceHeld = false;
    if (!m_enabled)
        return {};
    if (!m_parentActive)
        m_state = XPButtonState::Normal;
    else if (m_inside)
        m_state = XPButtonState::Hover;
    else
        m_state = m_default ? XPButtonState::Focused : XPButtonState::Normal;
    return {.repaint = true};
}

XPReaction XPButtonMachine::setDefault(bool isDefault) {
    m_default = isDefault;
    if (!m_enabled || m_inside)
        return {};
    m_state = m_default || m_focus ? XPButtonState::Focused : XPButtonState::Normal;
    return {.repaint = true};
}

XPReaction XPButtonMachine::setParentActive(bool active) {
    m_parentActive = active;
    if (!m_enabled)
        return {};
    return {.repaint = true};
}

XPReaction XPButtonMachine::setEnabled(bool enabled) {
    if (enabled == m_enabled)
        return {};
    m_enabled = enabled;
    m_leftHeld = false;
    m_spaceHeld = false;
    m_state = m_enabled ? restingState() : XPButtonState::Disabled;
    return {.repaint = true};
}

} // namespace quire::ui
