// Windows-1252 text: line ends, lower-casing, UTF-8 conversion.
#include "platform/Text1252.h"

#include <gtest/gtest.h>

using namespace quire::text;

TEST(SplitLines, AcceptsCrLfLfAndLoneCr) {
    using V = std::vector<std::string>;
    EXPECT_EQ(splitLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n"), (V{"a"}));
    EXPECT_EQ(splitLines("a\r\n\r\n"), (V{"a", ""}));
    EXPECT_EQ(splitLines("a\r\rb"), (V{"a", "", "b"}));
    EXPECT_EQ(splitLines("\n"), (V{""}));
    EXPECT_EQ(splitLines(""), V{});
    EXPECT_EQ(splitLines("no end"), (V{"no end"}));
    EXPECT_EQ(splitLines(std::string("x\0y\r\n", 5)), (V{std::string("x\0y", 3)}));
}

TEST(ToLower, FollowsWindows1252Letters) {
    EXPECT_EQ(toLower("ABC xyz 1-High_High(4000+).MTX"), "abc xyz 1-high_high(4000+).mtx");
    // À..Þ become à..þ, except the multiplication sign.
    EXPECT_EQ(toLower("\xC0\xC9\xDE\xD7"), "\xE0\xE9\xFE\xD7");
    // Š Œ Ž Ÿ
    EXPECT_EQ(toLower("\x8A\x8C\x8E\x9F"), "\x9A\x9C\x9E\xFF");
    // Already lower, digits and symbols pass through; ß has no single upper case.
    EXPECT_EQ(toLower("\xDF\xE0\xFF 9!"), "\xDF\xE0\xFF 9!");
}

TEST(Utf8, RoundTripsEveryDefinedByte) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        if (b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D)
            all += static_cast<char>(b);
    const auto back = fromUtf8(toUtf8(all));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
}

TEST(Utf8, ConvertsKnownCharacters) {
    EXPECT_EQ(toUtf8("Portugu\xEAs \x80"), "Português €");
    EXPECT_EQ(fromUtf8("Français Œ “x”"), std::optional<std::string>("Fran\xE7"
                                                                     "ais \x8C \x93x\x94"));
}

TEST(Utf8, RefusesWhatWindows1252CannotHold) {
    EXPECT_FALSE(fromUtf8("Ελληνικά").has_value());
    EXPECT_FALSE(fromUtf8("日本").has_value());
    EXPECT_FALSE(fromUtf8("\xC2\x81").has_value()); // U+0081, a C1 control
    EXPECT_FALSE(fromUtf8("\xC3").has_value());     // cut in the middle of a character
    EXPECT_FALSE(fromUtf8("\xFF").has_value());     // not UTF-8 at all
}

TEST(TrimBlanks, RemovesSpaceTabAndVerticalTabOnly) {
    EXPECT_EQ(trimBlanks(" \t\vvalue x\t \v"), "value x");
    EXPECT_EQ(trimBlanks("\r\nx\n"), "\r\nx\n");
    EXPECT_EQ(trimBlanks("   "), "");
}
