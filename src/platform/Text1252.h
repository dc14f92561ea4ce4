// Windows-1252 text: the byte encoding of every file Quire reads or writes, its line ends,
// its lower-casing rules, and the conversion to and from UTF-8 where text meets a window.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quire::text {

inline constexpr std::string_view kCrLf = "\r\n";

// Splits text into lines at CR LF, LF or a lone CR. A final line break does not start
// another line, so "a\r\nb\r\n" gives {"a", "b"} and "a\r\n\r\n" gives {"a", ""}.
std::vector<std::string> splitLines(std::string_view text);

// Lower-cases by Windows-1252 rules: A-Z, À-Þ except ×, and Š, Œ, Ž, Ÿ.
char lowerChar(char c);
std::string toLower(std::string_view text);

// Windows-1252 bytes to UTF-8. Every byte has its character, so fromUtf8 gives the bytes back:
// NUL stays NUL, and the five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// become the controls U+0081, U+008D, U+008F, U+0090, U+009D, as on Windows.
std::string toUtf8(std::string_view cp1252);

// UTF-8 to Windows-1252; empty optional when the text holds a character that Windows-1252
// cannot hold, or is not valid UTF-8 (cut, overlong, a surrogate, beyond U+10FFFF).
std::optional<std::string> fromUtf8(std::string_view utf8);

// Removes the blanks (space, tab, vertical tab) at both ends.
std::string_view trimBlanks(std::string_view text);
bool isBlank(char c);

} // namespace quire::text
