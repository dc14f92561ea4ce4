// Reading and writing the host project's numbers.
#include "preview/HostNumbers.h"

#include <gtest/gtest.h>

namespace quire::preview {
namespace {

TEST(HostNumbers, ReadsDecimalsWithAPointOnly) {
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"819", 819},          {" 4.5 ", 4.5},        {"3.", 3},
        {".25", 0.25},         {"-20.", -20},         {"+7", 7},
        {"", std::nullopt},    {".", std::nullopt},   {"4,5", std::nullopt},
        {"1e3", std::nullopt}, {"12a", std::nullopt}, {"inf", std::nullopt},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(toNumber(text), value) << text;
    EXPECT_EQ(toNumber("29,97", ','), 29.97);
    EXPECT_EQ(toNumber("29.97", ','), std::nullopt);
}

TEST(HostNumbers, FormatsWithOptionalDigits) {
    const std::tuple<double, const char*, const char*, const char*> cases[] = {
        // value, whole "##", percent "#.##", grouped "##,##0.00"
        {12.5, "13", "12.5", "12.50"},     {3, "3", "3.", "3.00"},
        {0.25, "", ".25", "0.25"},         {9.890109, "10", "9.89", "9.89"},
        {-20, "-20", "-20.", "-20.00"},    {0, "", ".", "0.00"},
        {819.2, "819", "819.2", "819.20"}, {1234567.891, "1234568", "1234567.89", "1,234,567.89"},
        {0.005, "", ".01", "0.01"},        {-0.4, "", "-.4", "-0.40"},
    };
    for (const auto& [value, whole, percent, grouped] : cases) {
        EXPECT_EQ(formatWhole(value), whole) << value;
        EXPECT_EQ(formatPercent(value), percent) << value;
        EXPECT_EQ(formatGrouped(value, '.', ','), grouped) << value;
    }
    EXPECT_EQ(formatGrouped(1234.5, ',', '.'), "1.234,50");
    EXPECT_EQ(formatPlain(4.5, ','), "4,5");
    EXPECT_EQ(formatPlain(23.976), "23.976");
}

} // namespace
} // namespace quire::preview
