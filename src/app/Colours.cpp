// Interface colours as decimal 0x00BBGGRR text.
#include "Colours.h"

#include "platform/Text1252.h"

#include <charconv>

namespace quire {

std::optional<Rgb> parseColour(std::string_view decimal) {
    const std::string_view digits = text::trimBlanks(decimal);
    long value = -1;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || value < 0 || value > 0xFFFFFF)
        return std::nullopt;
    return Rgb{static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
               static_cast<int>((value >> 16) & 0xFF)};
}

std::string colourText(Rgb colour) {
    return std::to_string(colour.red + colour.green * 256L + colour.blue * 65536L);
}

} // namespace quire
