// The ramps of the grids' colour scale and the choice of a readable text colour.
#include "ui/ColourScale.h"

#include "app/IniManager.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quire::scale {
namespace {

// Nine evenly spaced stops of a perceptually uniform ramp, dark to light.
constexpr std::array<Rgb, 9> kRamp{{{68, 1, 84},
                                    {71, 45, 123},
                                    {59, 82, 139},
                                    {44, 114, 142},
                                    {33, 145, 140},
                                    {40, 174, 128},
                                    {94, 201, 98},
                                    {173, 220, 48},
                                    {253, 231, 37}}};

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRaised{178, 24, 43};
constexpr Rgb kLowered{33, 102, 172};

Rgb mix(Rgb a, Rgb b, double t) {
    const auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

double linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(Rgb c) {
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

} // namespace

double position(int value) {
    const int v = std::clamp(value, kLowest, kHighest);
    return std::log(static_cast<double>(v)) / std::log(static_cast<double>(kHighest));
}

Rgb valueColour(int value) {
    const double at = position(value) * static_cast<double>(kRamp.size() - 1);
    const auto stop = std::min(static_cast<std::size_t>(at), kRamp.size() - 2);
    return mix(kRamp[stop], kRamp[stop + 1], at - static_cast<double>(stop));
}

Rgb differenceColour(int difference) {
    if (difference == 0)
        return kWhite;
    const double strength = std::log(1.0 + std::min(std::abs(difference), kHighest - 1)) / std::log(kHighest);
    return mix(kWhite, difference > 0 ? kRaised : kLowered, strength);
}

double contrastRatio(Rgb a, Rgb b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb textColour(Rgb background) {
    return contrastRatio(background, kBlack) >= contrastRatio(background, kWhite) ? kBlack : kWhite;
}

std::optional<int> cellValue(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.size() > 3)
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool isOn(const std::filesystem::path& editorIni) {
    return ini::GetValue("Config", "ColourScale", editorIni) == "1";
}

void setOn(const std::filesystem::path& editorIni, bool on) {
    ini::SetValue("Config", "ColourScale", on ? "1" : "0", editorIni);
}

} // namespace quire::scale
