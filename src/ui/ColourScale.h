// The colour scale of the matrix grids: a value 1-255 as a colour of a perceptually ordered ramp
// (dark violet through teal to yellow), a difference of two values on a ramp that runs from blue
// through white to red, and the text colour that stays readable on each. The scale is fixed and
// logarithmic: a colour means the same value in every grid, and since a quantiser step's effect is
// relative, 8 against 16 differs as much as 64 against 128.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace quire::scale {

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr int kLowest = 1;
inline constexpr int kHighest = 255;

// The place of a value on the scale, 0 (1 and below) to 1 (255 and above).
double position(int value);
// The colour of a matrix value; values beyond 1-255 take the colour of the nearer end.
Rgb valueColour(int value);
// The colour of a difference B - A: white at 0, bluer as B falls below A, redder as it rises
// above, on the same logarithmic steps (a difference of 254 or more is the full colour).
Rgb differenceColour(int difference);
// Black or white, whichever stands out more on the background.
Rgb textColour(Rgb background);
// The contrast of two colours as the accessibility guidelines measure it (1 to 21).
double contrastRatio(Rgb a, Rgb b);

// The value a box's text stands for: one to three digits, blanks around them allowed.
std::optional<int> cellValue(std::string_view text);

// The user's choice, kept in Editor.ini [Config] as ColourScale=1 (on) or 0; off when missing.
bool isOn(const std::filesystem::path& editorIni);
void setOn(const std::filesystem::path& editorIni, bool on);

} // namespace quire::scale
