// Interface colours as Editor.ini stores them: the decimal text of 0x00BBGGRR, red the low byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quire {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

// The colour of a stored decimal text; empty optional when the text is not a whole number
// from 0 to 16777215 (surrounding blanks allowed).
std::optional<Rgb> parseColour(std::string_view decimal);
// The stored decimal text of a colour.
std::string colourText(Rgb colour);

// The four interface colours.
struct InterfaceColours {
    std::string back;
    std::string text;
    std::string stripes;
    std::string buttons;
};

// The defaults written on the first start and by the Default style.
inline const InterfaceColours kDefaultColours{"16737808", "16777215", "14306832", "4210752"};

} // namespace quire
