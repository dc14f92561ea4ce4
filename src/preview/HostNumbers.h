// Numbers of the host project: read from text and written back as text. Numbers that go to an encoder
// or into a file are written with "." whatever the user's locale; sizes and rates shown to the user
// take the user's separators, handed in as parameters.
#pragma once

#include <locale>
#include <optional>
#include <string>
#include <string_view>

namespace quire::preview {

// The separators a number shown to the user is written with.
struct NumberSeparators {
    char decimal = '.';
    char thousands = ',';
};

// The separators of a locale (by default the program's global one).
NumberSeparators separatorsOf(const std::locale& locale = std::locale());

// The value of a decimal number written with "." (blanks around it allowed, "3." and ".25" too);
// empty when the text is empty or not a number.
std::optional<double> toNumber(std::string_view text);
// The same for a number shown to the user, written with the given decimal separator.
std::optional<double> toNumber(std::string_view text, char decimal);

// Rounded to a whole number, half away from zero; empty text when that is 0 ("3" for 2.5 + 0.5).
std::string formatWhole(double value);
// Rounded to two decimals with optional digits only: "12.5", "3.", ".25"; 0 gives ".".
std::string formatPercent(double value);
// At most 15 significant digits, trailing zeros dropped, with the given decimal separator: "81", "4.5",
// and "30.72" for 1054.72 - 1024.
std::string formatPlain(double value, char decimal = '.');
// Two decimals, thousands grouped, at least "0.00": 1234.5 gives "1,234.50" with the separators given.
std::string formatGrouped(double value, char decimal, char thousands);

// The characters of the text from a 1-based position with a length (fewer at the end of the text);
// nothing when the length is negative or the position lies beyond the text.
std::optional<std::string> midText(std::string_view text, std::size_t start, long length);

} // namespace quire::preview
