// Windows-1252 text: line ends, lower-casing, UTF-8 conversion.
#include "platform/Text1252.h"

#include <gtest/gtest.h>

using namespace quire::text;

TEST(SplitLinesAndTrimBlanks, CrLfLfAndLoneCrSpaceTabAndVerticalTab) {
    using V = std::vector<std::string>;
    EXPECT_EQ(splitLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n"), (V{"a"}));
    EXPECT_EQ(splitLines("a\r\n\r\n"), (V{"a", ""}));
    EXPECT_EQ(splitLines("a\r\rb"), (V{"a", "", "b"}));
    EXPECT_EQ(splitLines("\n"), (V{""}));
    EXPECT_EQ(splitLines(""), V{});
    EXPECT_EQ(splitLines("no end"), (V{"no end"}));
    EXPECT_EQ(splitLines(std::string("x\0y\r\n", 5)), (V{std::string("x\0y", 3)}));
    EXPECT_EQ(trimBlanks(" \t\vvalue x\t \v"), "value x");
    EXPECT_EQ(trimBlanks("\r\nx\n"), "\r\nx\n");
    EXPECT_EQ(trimBlanks("   "), "");
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

TEST(Utf8, EveryByteRoundTripsNulAndUndefinedOnesToo) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(fromUtf8(toUtf8(one)), std::optional<std::string>(one)) << "byte " << b;
        all += one;
    }
    EXPECT_EQ(fromUtf8(toUtf8(all)), std::optional<std::string>(all));
    // NUL and the bytes Windows-1252 leaves undefined keep characters of their own.
    EXPECT_EQ(toUtf8(std::string("\0\x81\x8D\x8F\x90\x9D", 6)),
              std::string("\0\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D", 11));
}

TEST(Utf8, ConvertsKnownCharactersAndRefusesInvalidUtf8OrWhatWindows1252CannotHold) {
    EXPECT_EQ(toUtf8("Portugu\xEAs \x80"), "Português €");
    EXPECT_EQ(fromUtf8("Français Œ “x”"), std::optional<std::string>("Fran\xE7"
                                                                     "ais \x8C \x93x\x94"));
    // Overlong forms of "/", DEL, U+07FF and the euro sign; surrogates; beyond U+10FFFF; a five-byte
    // form; sequences cut short; a continuation byte without a lead, a lead without one; 0xFF; and
    // characters that Windows-1252 lacks (U+0080 has no byte of its own).
    for (const char* bad :
         {"\xC0\xAF", "\xC1\xBF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF", "\xE0\x9F\xBF", "\xF0\x82\x82\xAC",
          "\xED\xA0\x80", "\xED\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xF8\x88\x80\x80\x80", "\xC3",
          "\xE2\x82", "\x80", "\xC3\x28", "\xFF", "Ελληνικά", "日本", "\xC2\x80"}) {
        EXPECT_FALSE(fromUtf8(bad).has_value()) << testing::PrintToString(std::string(bad));
        EXPECT_FALSE(fromUtf8(std::string("name") + bad + "x").has_value()) << testing::PrintToString(std::string(bad));
    }
}
