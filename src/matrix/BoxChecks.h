// The checks of the editors' 128 value boxes: the check on every change of a box's text, the
// focus-enter and focus-leave rules, the CCE mark, and Multiple Edit, which shifts every box.
// The window shows what they decide through BoxView; the texts here are Windows-1252.
#pragma once

#include "matrix/MatrixFile.h"
#include "platform/Prompter.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quire::grid {

// The number a box holds: an optional "+" or "-" followed by decimal digits, nothing else (no
// blanks, which would shift the values of a matrix file). Empty optional for any other text; a
// number too long for a long long counts as its largest value with that sign.
std::optional<long long> boxNumber(std::string_view text);

// Where a box stands, for messages: "the Intra box in row 1, column 1" up to "the Non Intra box
// in row 8, column 8". An index past 127 gives "box <index>".
std::string boxName(std::size_t index);

// The first box that is empty or holds no whole number, with the message that refuses a save
// because of it; empty optional when every box holds one.
struct BadBox {
    std::size_t index = 0;
    std::string message;
};
std::optional<BadBox> firstBoxWithoutNumber(const MatrixCells& boxes);

enum class BoxBackground { Focus, White, Highlight };
enum class BoxTextColour { WindowText, Green };

// What the checks change on the window.
class BoxView {
public:
    virtual ~BoxView() = default;
    // Sets a box's text the way the program does; the window then runs changed() for it, as it
    // does for typing (when the text differs from what the box holds).
    virtual void setBoxText(std::size_t box, const std::string& text) = 0;
    virtual void setBoxBackground(std::size_t box, BoxBackground colour) = 0;
    virtual void setBoxTextColour(std::size_t box, BoxTextColour colour) = 0;
    // Puts the focus into the box (which runs entered() for it, and left() for the box that had it).
    virtual void focusBox(std::size_t box) = 0;
    virtual void selectBoxText(std::size_t box) = 0;
    // The per-box checks enable Save; nothing here disables it.
    virtual void enableSave() = 0;
};

// The two messages of the checks, from section MESSAGES of the language file.
struct CheckTexts {
    std::string warning1; // MatrixWarning1
    std::string warning2; // MatrixWarning2
};

class BoxChecks {
public:
    inline static const std::string kNoCceValue = "127";

    BoxChecks(Prompter& prompter, CheckTexts texts, BoxView& view);

    // The change check, run on every change of a box's text (typed or set by the program):
    // empty text does nothing; a number 128-255 enables Save, whitens the box, shows the CCE
    // warning and turns the text green; a number below 128 (any, even negative) takes the
    // window-text colour, enables Save and whitens the box; anything else is rejected.
    void changed(std::size_t box, std::string_view text);
    // Focus entering a box: pale yellow, whole text selected.
    void entered(std::size_t box);
    // Focus leaving a box: empty becomes "8"; a number above 7 enables Save and whitens the box,
    // anything else is rejected and the focus goes back; a number above 127 is copied to CCEvalue.
    void left(std::size_t box, std::string_view text);

    // CCEvalue: "127" at first; the text of the last box left holding a value above 127.
    const std::string& cceValue() const { return m_cceValue; }
    void setCceValue(std::string value) { m_cceValue = std::move(value); }

    // Multiple Edit: every box set to its value minus (or plus) the amount, boxes 0 to 127 in
    // order, each change checked as above (nothing clamps the results).
    enum class EditResult { Applied, BadAmount, BadBox };
    // The amount must be a whole number from -32768 to 32767 (blanks around it allowed) and every
    // box must hold a whole number of at most 9 digits; otherwise a message says which (and for a
    // box puts the focus into it) and nothing changes. BadAmount leaves the focus to the window.
    EditResult multipleEdit(std::string_view amount, bool subtract, const MatrixCells& boxes);

private:
    // The rejection: the focus back into the box (first, so that it stays there while the message
    // is up), MatrixWarning1, the highlight colour, the whole text selected.
    void reject(std::size_t box);

    Prompter& m_prompter;
    CheckTexts m_texts;
    BoxView& m_view;
    std::string m_cceValue = kNoCceValue;
};

// The messages Multiple Edit refuses with.
inline constexpr std::string_view kBadAmountMessage =
    "The value to subtract or add must be a whole number from -32768 to 32767.";

} // namespace quire::grid
