// Reading and writing the host project's numbers.
#include "preview/HostNumbers.h"

#include <gtest/gtest.h>

namespace quire::preview {
namespace {

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
    EXPECT_EQ(toNumber("-20."), -20);
    EXPECT_EQ(toNumber(".25"), 0.25);
    EXPECT_EQ(toNumber("4,5"), std::nullopt);
}

} // namespace
} // namespace quire::preview
