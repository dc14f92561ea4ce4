// Locale-free reading and writing of the host project's numbers.
#include "HostNumbers.h"

#include "platform/Text1252.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace quire::preview {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Rounds half away from zero to a whole number of hundredths.
long long hundredths(double value) {
    return std::llround(value * 100.0);
}

} // namespace

NumberSeparators separatorsOf(const std::locale& locale) {
    const auto& punct = std::use_facet<std::numpunct<char>>(locale);
    return {punct.decimal_point(), punct.thousands_sep()};
}

std::optional<double> toNumber(std::string_view text) {
    text = text::trimBlanks(text);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (isDigit(text[i]))
            digits = true;
        else if (text[i] == '.' && !point)
            point = true;
        else
            return std::nullopt;
    }
    if (!digits)
        return std::nullopt;
    // from_chars never looks at a locale and takes no leading "+".
    std::string copy(text);
    if (copy.front() == '+')
        copy.erase(0, 1);
    double value = 0;
    const auto* first = copy.data();
    const auto [end, ec] = std::from_chars(first, first + copy.size(), value);
    if (ec != std::errc() || end != first + copy.size())
        return std::nullopt;
    return value;
}

std::optional<double> toNumber(std::string_view text, char decimal) {
    std::string copy(text);
    for (char& c : copy) {
        if (c == '.' && decimal != '.')
            return std::nullopt;
        if (c == decimal)
            c = '.';
    }
    return toNumber(copy);
}

std::string formatWhole(double value) {
    const long long whole = std::llround(value);
    return whole == 0 ? std::string() : std::to_string(whole);
}

std::string formatPercent(double value) {
    const long long all = hundredths(value);
    const unsigned long long magnitude = static_cast<unsigned long long>(std::llabs(all));
    std::string out = all < 0 ? "-" : "";
    if (magnitude / 100 != 0)
        out += std::to_string(magnitude / 100);
    out += '.';
    const unsigned long long cents = magnitude % 100;
    if (cents != 0) {
        out += static_cast<char>('0' + cents / 10);
        if (cents % 10 != 0)
            out += static_cast<char>('0' + cents % 10);
    }
    return out;
}

std::string formatPlain(double value, char decimal) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string out(buffer, ec == std::errc() ? end : buffer);
    for (char& c : out)
        if (c == '.')
            c = decimal;
    return out;
}

std::string formatGrouped(double value, char decimal, char thousands) {
    const long long all = hundredths(value);
    const std::string whole = std::to_string(std::llabs(all) / 100);
    std::string out = all < 0 ? "-" : "";
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i != 0 && (whole.size() - i) % 3 == 0)
            out += thousands;
        out += whole[i];
    }
    const long long cents = std::llabs(all) % 100;
    out += decimal;
    out += static_cast<char>('0' + cents / 10);
    out += static_cast<char>('0' + cents % 10);
    return out;
}

std::optional<std::string> midText(std::string_view text, std::size_t start, long length) {
    if (length < 0 || start < 1 || start > text.size() + 1)
        return std::nullopt;
    return std::string(text.substr(start - 1, static_cast<std::size_t>(length)));
}

} // namespace quire::preview
