// The value boxes' checks and Multiple Edit.
#include "BoxChecks.h"

#include "platform/Text1252.h"

#include <charconv>
#include <limits>

namespace quire::grid {
namespace {

constexpr long long kCceLimit = 127;
constexpr long long kHighestValue = 255;
constexpr long long kLowestOnLeave = 8;
constexpr std::size_t kMostEditableDigits = 9;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The digits after an optional sign; empty when the text is not sign-and-digits.
std::string_view digitsOf(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-'))
        text.remove_prefix(1);
    if (text.empty())
        return {};
    for (const char c : text)
        if (!isDigit(c))
            return {};
    return text;
}

// How a box that holds no usable whole number is described: "is empty" or "holds "x"".
std::string boxState(std::string_view text) {
    if (text.empty())
        return "is empty";
    return "holds \"" + std::string(text) + "\"";
}

} // namespace

std::optional<long long> boxNumber(std::string_view text) {
    const std::string_view digits = digitsOf(text);
    if (digits.empty())
        return std::nullopt;
    const bool negative = text.front() == '-';
    unsigned long long magnitude = 0;
    const auto parsed = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    constexpr auto kMax = static_cast<unsigned long long>(std::numeric_limits<long long>::max());
    if (parsed.ec != std::errc() || magnitude > kMax)
        return negative ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
    const auto value = static_cast<long long>(magnitude);
    return negative ? -value : value;
}

std::string boxName(std::size_t index) {
    if (index >= kMatrixCells)
        return "box " + std::to_string(index);
    const std::size_t inTable = index % 64;
    return std::string("the ") + (index < 64 ? "Intra" : "Non Intra") + " box in row " +
           std::to_string(inTable / 8 + 1) + ", column " + std::to_string(inTable % 8 + 1);
}

std::optional<BadBox> firstBoxWithoutNumber(const MatrixCells& boxes) {
    for (std::size_t i = 0; i < boxes.size(); ++i)
        if (!boxNumber(boxes[i]))
            return BadBox{i, "Please give every box a whole number: " + boxName(i) + " " + boxState(boxes[i]) + "."};
    return std::nullopt;
}

BoxChecks::BoxChecks(Prompter& prompter, CheckTexts texts, BoxView& view)
    : m_prompter(prompter), m_texts(std::move(texts)), m_view(view) {}

void BoxChecks::reject(std::size_t box) {
    m_view.focusBox(box);
    m_prompter.message(m_texts.warning1, kAppTitle, PromptButtons::Ok, PromptIcon::Exclamation);
    m_view.setBoxBackground(box, BoxBackground::Highlight);
    m_view.selectBoxText(box);
}

void BoxChecks::changed(std::size_t box, std::string_view text) {
    if (text.empty())
        return;
    const auto value = boxNumber(text);
    if (!value || *value > kHighestValue) {
        reject(box);
        return;
    }
    if (*value > kCceLimit) {
        m_view.enableSave();
        m_view.setBoxBackground(box, BoxBackground::White);
        m_prompter.message(m_texts.warning2, kAppTitle, PromptButtons::Ok, PromptIcon::Exclamation);
        m_view.setBoxTextColour(box, BoxTextColour::Green);
    } else {
        m_view.setBoxTextColour(box, BoxTextColour::WindowText);
    }
    m_view.enableSave();
    m_view.setBoxBackground(box, BoxBackground::White);
}

void BoxChecks::entered(std::size_t box) {
    m_view.setBoxBackground(box, BoxBackground::Focus);
    m_view.selectBoxText(box);
}

void BoxChecks::left(std::size_t box, std::string_view text) {
    std::string current(text);
    if (current.empty()) {
        current = "8";
        m_view.setBoxText(box, current);
    }
    const auto value = boxNumber(current);
    if (value && *value >= kLowestOnLeave) {
        m_view.enableSave();
        m_view.setBoxBackground(box, BoxBackground::White);
    } else {
        reject(box);
    }
    if (value && *value > kCceLimit)
        m_cceValue = current;
}

BoxChecks::EditResult BoxChecks::multipleEdit(std::string_view amount, bool subtract, const MatrixCells& boxes) {
    const std::string_view trimmed = text::trimBlanks(amount);
    const auto step = boxNumber(trimmed);
    if (!step || *step < std::numeric_limits<short>::min() || *step > std::numeric_limits<short>::max()) {
        m_prompter.message(kBadAmountMessage, kAppTitle, PromptButtons::Ok, PromptIcon::Exclamation);
        return EditResult::BadAmount;
    }
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const std::string_view digits = digitsOf(boxes[i]);
        if (digits.empty() || digits.size() > kMostEditableDigits) {
            const std::string why = digits.empty() ? boxState(boxes[i]) : boxState(boxes[i]) + ", which is too large";
            m_view.focusBox(i);
            m_prompter.message("Multiple Edit needs a whole number in every box: " + boxName(i) + " " + why + ".",
                               kAppTitle, PromptButtons::Ok, PromptIcon::Exclamation);
            return EditResult::BadBox;
        }
    }
    const long long shift = subtract ? -*step : *step;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        m_view.setBoxText(i, std::to_string(*boxNumber(boxes[i]) + shift));
    return EditResult::Applied;
}

} // namespace quire::grid
